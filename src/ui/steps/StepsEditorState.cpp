#include "StepsEditorState.h"

namespace tavlen::ui {

namespace {

// Validation and busy errors leave the steps editable; the others doubt the draft against what is stored.
bool blocksEditing(const MonitorStoreError& error)
{
    return error.kind() != MonitorStoreError::Kind::validation && error.kind() != MonitorStoreError::Kind::busy;
}

} // namespace

StepsStorageAction stepsStorageAction(const MonitorStoreError& error, bool needsReconciliation)
{
    if (needsReconciliation) {
        return StepsStorageAction::retryStorage;
    }
    return blocksEditing(error) ? StepsStorageAction::reloadSaved : StepsStorageAction::retrySave;
}

StepsEditorPresentation stepsEditorPresentation(const StepsEditorInputs& inputs)
{
    StepsEditorPresentation presentation;
    if (inputs.hasSession && inputs.hasDraft) {
        presentation.content = StepsEditorPresentation::Content::diagram;
        presentation.showsResultBanner = inputs.hasResultError;
        if (inputs.error) {
            presentation.storageAction = stepsStorageAction(*inputs.error, inputs.needsReconciliation);
        } else if (inputs.needsReconciliation) {
            presentation.storageAction = StepsStorageAction::retryStorage;
        }
        presentation.isDiagramEnabled = !inputs.isSaving && !inputs.isLoading && !inputs.isNavigating &&
                                        !inputs.needsReconciliation && !(inputs.error && blocksEditing(*inputs.error));
        presentation.isStorageBannerEnabled = !inputs.isLoading && !inputs.isSaving && !inputs.isNavigating;
    } else if (inputs.hasSession && inputs.error) {
        presentation.content = StepsEditorPresentation::Content::unavailable;
        presentation.isRetryEnabled = !inputs.isLoading;
    }
    return presentation;
}

} // namespace tavlen::ui
