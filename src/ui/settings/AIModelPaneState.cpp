#include "AIModelPaneState.h"

#include "ModelDiscovery.h"
#include "QtText.h"
#include "SettingsText.h"

namespace tavlen::ui {

AIModelPaneState aiModelPaneState(const ModelRegistry& registry, bool isLoading, bool isSaving, bool hasError)
{
    const bool hasModels = !registry.models.empty();
    AIModelPaneState state;
    state.showsDefaultSection = hasModels;
    state.defaultPickerEnabled = !isLoading && !isSaving;
    state.content = isLoading   ? AIModelPaneState::Content::loading
                    : hasModels ? AIModelPaneState::Content::rows
                                : AIModelPaneState::Content::empty;
    state.showsError = hasError;
    state.showsRetry = hasError && !hasModels;
    state.addEnabled = !isLoading && !isSaving;
    state.removeEnabled = !isSaving;
    return state;
}

AddModelFacts AddModelFacts::from(const ModelDiscovery& discovery, bool isSaving)
{
    return AddModelFacts{
        .provider = discovery.provider(),
        .isConnecting = discovery.isConnecting(),
        .connected = discovery.connected(),
        .needsAPIKey = discovery.needsAPIKey(),
        .hasModels = !discovery.models().empty(),
        .hasSelection = discovery.selection().has_value(),
        .error = discovery.error(),
        .statusText = discovery.statusText(),
        .isSaving = isSaving,
    };
}

AddModelSheetState addModelSheetState(const AddModelFacts& facts)
{
    const bool ollama = facts.provider == ModelSelection::Provider::ollama;
    const QString name = QString::fromUtf8(ModelSelection::label(facts.provider));
    AddModelSheetState state;
    state.sectionHeader = ollama ? settings_text::ollamaServer : settings_text::availableModels(name);
    state.showsHost = ollama;
    state.showsSpinner = facts.isConnecting;
    if (facts.needsAPIKey) {
        state.missingKeyNote = settings_text::addKeyFirst(name);
    }
    state.statusText = toQString(facts.statusText);
    state.connectTitle = ollama ? settings_text::connect : settings_text::refreshModels;
    state.connectEnabled = !facts.isConnecting;
    if (facts.error) {
        state.discoveryError = toQString(*facts.error);
    }
    state.showsModelPicker = facts.connected && facts.hasModels;
    state.formEnabled = !facts.isSaving;
    state.cancelEnabled = !facts.isSaving;
    state.addEnabled = !facts.isSaving && facts.hasSelection;
    return state;
}

} // namespace tavlen::ui
