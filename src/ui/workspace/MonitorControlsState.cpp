#include "MonitorControlsState.h"

#include "MonitorChangesDraft.h"
#include "MonitorCheckStore.h"
#include "MonitorWorkspace.h"
#include "StepsSession.h"
#include "StepsStore.h"
#include "WorkspaceViewText.h"

namespace tavlen::ui {

MonitorControlsFacts
MonitorControlsFacts::of(const Uuid& monitorID, StepsStore& store, const MonitorWorkspace& workspace)
{
    MonitorControlsFacts facts;
    const StepsStoreState& state = store.state();
    facts.isRunning = state.activeMonitorID() == monitorID && store.isBusy();
    facts.isStopping = state.cancellingMonitorID() == monitorID;
    facts.isSavingResults = store.results().storingResults().contains(monitorID);
    const auto& activity = workspace.changeActivity();
    const auto session = state.session(monitorID);
    facts.isSaving =
        (activity && activity->kind == WorkspaceChangeActivity::Kind::saving && activity->monitorID == monitorID) ||
        (session && session->isSaving());
    facts.isDiscarding = activity && activity->kind == WorkspaceChangeActivity::Kind::discardingChanges &&
                         activity->monitorID == monitorID;
    facts.hasUnsavedChanges = workspace.hasUnsavedChanges(monitorID);
    facts.canSave = workspace.canSaveChanges(monitorID);
    facts.canDiscard = workspace.canDiscardChanges(monitorID);
    facts.isNavigating = store.isNavigating();
    facts.unavailableReason = store.unavailableReason(monitorID);
    if (const auto draft = workspace.changeDraft(monitorID); draft && draft->saveError()) {
        facts.draftSaveError = draft->saveError()->errorDescription();
    }
    if (session) {
        Session read;
        read.isLoading = session->isLoading();
        if (session->error()) {
            read.error = session->error()->errorDescription();
        }
        read.hasUnsavedChanges = session->hasUnsavedChanges();
        read.hasVersion = session->version().has_value();
        facts.session = read;
    }
    return facts;
}

ControlButtonLook checkButtonLook(const MonitorControlsFacts& facts)
{
    if (facts.isSavingResults) {
        return {text::savingResults, {}, true, false, text::savingResults};
    }
    if (facts.isStopping) {
        return {text::stopping, {}, true, false, text::stopping};
    }
    if (facts.isRunning) {
        return {text::stop, QStringLiteral("stop.fill"), false, true, text::stopExecution};
    }
    if (facts.unavailableReason) {
        return {text::checkNow,
                QStringLiteral("play.fill"),
                false,
                false,
                text::checkNowBecause + QString::fromStdString(*facts.unavailableReason)};
    }
    return {text::checkNow, QStringLiteral("play.fill"), false, true, text::checkNowHelp};
}

ControlButtonLook discardButtonLook(const MonitorControlsFacts& facts)
{
    const bool enabled = facts.canDiscard && !facts.isNavigating;
    if (facts.isDiscarding) {
        return {text::discardingChanges, {}, true, enabled, text::discardingChanges};
    }
    return {text::discardChanges, QStringLiteral("arrow.uturn.backward"), false, enabled, text::discardMonitorChanges};
}

ControlButtonLook saveButtonLook(const MonitorControlsFacts& facts)
{
    const bool enabled = facts.canSave && !facts.isNavigating;
    const QString tooltip = text::saveShortcutPrefix + saveStatusText(facts);
    if (facts.isSaving) {
        return {text::saving, {}, true, enabled, tooltip};
    }
    return {text::save, QStringLiteral("square.and.arrow.down"), false, enabled, tooltip};
}

QString saveStatusText(const MonitorControlsFacts& facts)
{
    if (facts.isDiscarding) {
        return text::discardingChanges;
    }
    if (facts.isSaving) {
        return text::saving;
    }
    if (facts.draftSaveError) {
        return QString::fromStdString(*facts.draftSaveError);
    }
    if (facts.hasUnsavedChanges) {
        return text::unsavedChanges;
    }
    if (facts.session && !facts.session->isLoading) {
        if (facts.session->error) {
            return QString::fromStdString(*facts.session->error);
        }
        if (facts.session->hasUnsavedChanges) {
            return text::unsavedChanges;
        }
        return facts.session->hasVersion ? text::saved : text::notSavedYet;
    }
    return text::loadingSteps;
}

} // namespace tavlen::ui
