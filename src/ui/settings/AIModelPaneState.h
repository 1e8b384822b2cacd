#pragma once

#include "ModelRegistry.h"
#include "ModelSelection.h"

#include <QString>

#include <optional>
#include <string>

namespace tavlen {
class ModelDiscovery;
}

namespace tavlen::ui {

// What the AI models pane shows and enables, from the model settings.
struct AIModelPaneState
{
    enum class Content
    {
        loading,
        rows,
        empty,
    };

    bool showsDefaultSection = false;
    bool defaultPickerEnabled = false;
    Content content = Content::empty;
    bool showsError = false;
    bool showsRetry = false;
    bool addEnabled = false;
    bool removeEnabled = false;

    friend bool operator==(const AIModelPaneState&, const AIModelPaneState&) = default;
};

AIModelPaneState aiModelPaneState(const ModelRegistry& registry, bool isLoading, bool isSaving, bool hasError);

// What the Add model sheet reads of the discovery and the model settings.
struct AddModelFacts
{
    ModelSelection::Provider provider = ModelSelection::Provider::openAI;
    bool isConnecting = false;
    bool connected = false;
    bool needsAPIKey = false;
    bool hasModels = false;
    bool hasSelection = false;
    std::optional<std::string> error{};
    std::string statusText{};
    bool isSaving = false;

    static AddModelFacts from(const ModelDiscovery& discovery, bool isSaving);
};

// What the Add model sheet shows and enables.
struct AddModelSheetState
{
    QString sectionHeader;
    bool showsHost = false;
    bool showsSpinner = false;
    std::optional<QString> missingKeyNote{}; // shown instead of the status and its button
    QString statusText;
    QString connectTitle;
    bool connectEnabled = false;
    std::optional<QString> discoveryError{};
    bool showsModelPicker = false;
    bool formEnabled = false;
    bool cancelEnabled = false;
    bool addEnabled = false;

    friend bool operator==(const AddModelSheetState&, const AddModelSheetState&) = default;
};

AddModelSheetState addModelSheetState(const AddModelFacts& facts);

} // namespace tavlen::ui
