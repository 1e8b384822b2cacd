#pragma once

#include "Uuid.h"

#include <QString>

#include <optional>
#include <string>

namespace tavlen {
class MonitorWorkspace;
class StepsStore;
} // namespace tavlen

namespace tavlen::ui {

// What the detail header's buttons are derived from, read from the steps store and the workspace at once.
struct MonitorControlsFacts
{
    struct Session
    {
        bool isLoading = false;
        std::optional<std::string> error; // the session's storage error sentence
        bool hasUnsavedChanges = false;
        bool hasVersion = false; // the Steps were saved at least once
    };

    bool isRunning = false;       // an execution of the monitor runs
    bool isStopping = false;      // its cancellation was asked for
    bool isSavingResults = false; // its result write runs
    bool isSaving = false;
    bool isDiscarding = false;
    bool hasUnsavedChanges = false;
    bool canSave = false;
    bool canDiscard = false;
    bool isNavigating = false;
    std::optional<std::string> unavailableReason;
    std::optional<std::string> draftSaveError;
    std::optional<Session> session;

    // Save and Discard show while there are edits or while they are being saved or discarded.
    bool hasEdits() const { return hasUnsavedChanges || isSaving || isDiscarding; }

    static MonitorControlsFacts of(const Uuid& monitorID, StepsStore& store, const MonitorWorkspace& workspace);
};

// One button's look: an empty symbol with busy set shows the small spinner in its place.
struct ControlButtonLook
{
    QString title;
    QString symbol;
    bool busy = false;
    bool enabled = false;
    QString tooltip;

    friend bool operator==(const ControlButtonLook&, const ControlButtonLook&) = default;
};

ControlButtonLook checkButtonLook(const MonitorControlsFacts& facts);
ControlButtonLook discardButtonLook(const MonitorControlsFacts& facts);
ControlButtonLook saveButtonLook(const MonitorControlsFacts& facts);
// Saving or discarding, a save error, unsaved changes, the Steps session's state, else "Loading steps…".
QString saveStatusText(const MonitorControlsFacts& facts);

} // namespace tavlen::ui
