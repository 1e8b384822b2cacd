#pragma once

#include "MonitorStoreError.h"

#include <optional>

namespace tavlen::ui {

// What the Steps tab reads of the monitor's editing session and the store, as one value.
struct StepsEditorInputs
{
    bool hasSession = false;
    bool hasDraft = false;
    bool isLoading = false;
    bool isSaving = false;
    bool needsReconciliation = false;
    std::optional<MonitorStoreError> error;
    // The monitor's last result write failed.
    bool hasResultError = false;
    bool isNavigating = false;
};

// The one way out a storage banner offers.
enum class StepsStorageAction
{
    // Reload to settle what a failed save left in doubt.
    retryStorage,
    // Save again: the error does not doubt what is stored.
    retrySave,
    // Discard the edits and load the saved ones, after a confirmation.
    reloadSaved,
};

// Which of the tab's three states shows, its banners, and what is enabled.
struct StepsEditorPresentation
{
    enum class Content
    {
        loading,
        unavailable,
        diagram,
    };

    Content content = Content::loading;
    bool showsResultBanner = false;
    // Present exactly when the storage banner shows.
    std::optional<StepsStorageAction> storageAction;
    bool isDiagramEnabled = false;
    // The storage banner and its button.
    bool isStorageBannerEnabled = false;
    // "Retry" of the unavailable state.
    bool isRetryEnabled = false;

    friend bool operator==(const StepsEditorPresentation&, const StepsEditorPresentation&) = default;
};

// The storage banner's button for a session error: "Retry storage" while the session needs reconciling, else
// "Retry save" for validation and busy, else the reload.
StepsStorageAction stepsStorageAction(const MonitorStoreError& error, bool needsReconciliation);

// A session that needs reconciling without an error still gets the storage banner with "Retry storage": without
// it the diagram would stay disabled with nothing to press.
StepsEditorPresentation stepsEditorPresentation(const StepsEditorInputs& inputs);

} // namespace tavlen::ui
