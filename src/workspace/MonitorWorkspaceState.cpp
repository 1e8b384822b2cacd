#include "MonitorWorkspaceState.h"

#include "BlockingSaveError.h"
#include "MainThread.h"
#include "MonitorChangesDraft.h"
#include "MonitorEditorSession.h"
#include "StepsChangeRule.h"
#include "WorkspaceText.h"

#include <algorithm>
#include <utility>

namespace tavlen {

MonitorWorkspaceState::MonitorWorkspaceState()
{
    TAVLEN_ASSERT_MAIN_THREAD();
}

MonitorWorkspaceState::~MonitorWorkspaceState() = default;

std::shared_ptr<MonitorChangesDraft> MonitorWorkspaceState::changeDraft(const Uuid& monitorID) const
{
    const auto found = m_changeDrafts.find(monitorID);
    return found == m_changeDrafts.end() ? nullptr : found->second;
}

std::optional<Monitor> MonitorWorkspaceState::selectedMonitor() const
{
    if (!m_selection) {
        return std::nullopt;
    }
    const auto found = std::find_if(
        m_monitors.begin(), m_monitors.end(), [this](const Monitor& monitor) { return monitor.id == *m_selection; });
    return found == m_monitors.end() ? std::nullopt : std::optional(*found);
}

bool MonitorWorkspaceState::canStartAction() const
{
    return m_loadState.isReady() && !m_isBusy && !m_editor && !m_deletionCandidate;
}

std::optional<std::string> MonitorWorkspaceState::runBlockedReason(const Uuid& monitorID) const
{
    if (m_isBusy) {
        return workspace_text::waitForWorkspaceOperation;
    }
    const std::shared_ptr<MonitorChangesDraft> draft = changeDraft(monitorID);
    if (!draft) {
        return std::nullopt;
    }
    if (isBlockingSaveError(draft->saveError())) {
        const char* tab = draft->errorTab() == MonitorDetailTab::schedule ? workspace_text::scheduleTabName
                                                                          : workspace_text::settingsTabName;
        return std::string(workspace_text::resolveStorageErrorPrefix) + tab + workspace_text::resolveStorageErrorSuffix;
    }
    if (draft->hasUnsavedChanges()) {
        return workspace_text::saveChangesBeforeRunning;
    }
    return std::nullopt;
}

void MonitorWorkspaceState::setMonitors(std::vector<Monitor> monitors)
{
    if (storeObserved(m_monitors, std::move(monitors), monitorsEqual)) {
        Q_EMIT monitorsChanged();
    }
}

void MonitorWorkspaceState::setMonitorsChangedInPlace(std::vector<Monitor> monitors)
{
    m_monitors = std::move(monitors);
    Q_EMIT monitorsChanged();
}

void MonitorWorkspaceState::setLoadState(WorkspaceLoadState state)
{
    if (storeObserved(m_loadState, std::move(state))) {
        Q_EMIT loadStateChanged();
    }
}

void MonitorWorkspaceState::setIsBusy(bool isBusy)
{
    if (storeObserved(m_isBusy, isBusy)) {
        Q_EMIT isBusyChanged();
    }
}

void MonitorWorkspaceState::setChangeActivity(std::optional<WorkspaceChangeActivity> activity)
{
    if (storeObserved(m_changeActivity, std::move(activity))) {
        Q_EMIT changeActivityChanged();
    }
}

void MonitorWorkspaceState::setSidebarSummaries(SidebarSummaries summaries)
{
    if (storeObserved(m_sidebarSummaries, std::move(summaries))) {
        Q_EMIT sidebarSummariesChanged();
    }
}

void MonitorWorkspaceState::setSidebarError(std::optional<MonitorStoreError> error)
{
    if (storeObserved(m_sidebarError, std::move(error))) {
        Q_EMIT sidebarErrorChanged();
    }
}

void MonitorWorkspaceState::setChangeDrafts(ChangeDrafts drafts)
{
    m_changeDrafts = std::move(drafts);
    Q_EMIT changeDraftsChanged();
}

void MonitorWorkspaceState::putChangeDraft(const Uuid& monitorID, std::shared_ptr<MonitorChangesDraft> draft)
{
    m_changeDrafts.insert_or_assign(monitorID, std::move(draft));
    Q_EMIT changeDraftsChanged();
}

void MonitorWorkspaceState::setEditFocus(std::optional<MonitorEditFocus> focus)
{
    if (storeObserved(m_editFocus, std::move(focus))) {
        Q_EMIT editFocusChanged();
    }
}

void MonitorWorkspaceState::setSelection(std::optional<Uuid> selection)
{
    if (storeObserved(m_selection, std::move(selection))) {
        Q_EMIT selectionChanged();
    }
}

void MonitorWorkspaceState::setEditor(std::shared_ptr<MonitorEditorSession> editor)
{
    m_editor = std::move(editor);
    Q_EMIT editorChanged();
}

void MonitorWorkspaceState::setDeletionCandidate(std::optional<Monitor> monitor)
{
    if (storeObserved(m_deletionCandidate, std::move(monitor))) {
        Q_EMIT deletionCandidateChanged();
    }
}

void MonitorWorkspaceState::setActionError(std::optional<MonitorStoreError> error)
{
    if (storeObserved(m_actionError, std::move(error))) {
        Q_EMIT actionErrorChanged();
    }
}

} // namespace tavlen
