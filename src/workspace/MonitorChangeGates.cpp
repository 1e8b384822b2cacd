#include "MonitorChangeGates.h"

#include "BlockingSaveError.h"
#include "MonitorChangesDraft.h"
#include "MonitorWorkspace.h"
#include "StepsSession.h"
#include "WorkspaceStepsStore.h"

namespace tavlen {

bool MonitorChangeGates::hasUnsavedChanges(const Uuid& monitorID) const
{
    if (const std::shared_ptr<MonitorChangesDraft> draft = m_workspace.changeDraft(monitorID);
        draft && draft->hasUnsavedChanges()) {
        return true;
    }
    const std::shared_ptr<WorkspaceStepsStore>& store = m_workspace.stepsStore();
    if (!store) {
        return false;
    }
    const std::shared_ptr<StepsSession> session = store->session(monitorID);
    return session && session->hasUnsavedChanges();
}

bool MonitorChangeGates::canSaveChanges(const Uuid& monitorID) const
{
    if (!m_workspace.canStartAction() || !hasUnsavedChanges(monitorID)) {
        return false;
    }
    if (const std::shared_ptr<MonitorChangesDraft> draft = m_workspace.changeDraft(monitorID);
        draft && isBlockingSaveError(draft->saveError())) {
        return false;
    }
    const std::shared_ptr<WorkspaceStepsStore>& store = m_workspace.stepsStore();
    if (!store) {
        return true;
    }
    if (store->isRunningSteps(monitorID)) {
        return false;
    }
    const std::shared_ptr<StepsSession> session = store->session(monitorID);
    if (!session) {
        return true;
    }
    if (session->needsReconciliation() || isBlockingSaveError(session->error())) {
        return false;
    }
    return !session->hasUnsavedChanges() || session->canSave();
}

bool MonitorChangeGates::canDiscardChanges(const Uuid& monitorID) const
{
    if (!m_workspace.canStartAction() || !hasUnsavedChanges(monitorID)) {
        return false;
    }
    const std::shared_ptr<WorkspaceStepsStore>& store = m_workspace.stepsStore();
    if (!store) {
        return true;
    }
    if (store->isRunningSteps(monitorID)) {
        return false;
    }
    const std::shared_ptr<StepsSession> session = store->session(monitorID);
    return !session || (!session->isLoading() && !session->isSaving());
}

bool MonitorChangeGates::canEditChanges(const Uuid& monitorID) const
{
    if (!m_workspace.canStartAction()) {
        return false;
    }
    const std::shared_ptr<WorkspaceStepsStore>& store = m_workspace.stepsStore();
    if (store && (store->isRunningSteps(monitorID) || store->isNavigating())) {
        return false;
    }
    if (const std::shared_ptr<MonitorChangesDraft> draft = m_workspace.changeDraft(monitorID);
        draft && isBlockingSaveError(draft->saveError())) {
        return false;
    }
    if (!store) {
        return true;
    }
    const std::shared_ptr<StepsSession> session = store->session(monitorID);
    return !session || !session->needsReconciliation();
}

} // namespace tavlen
