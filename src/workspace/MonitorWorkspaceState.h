#pragma once

// moc cannot parse the C++20 standard headers that these pull in; it needs none of them.
#ifndef Q_MOC_RUN
#include "Monitor.h"
#include "MonitorEditFocus.h"
#include "MonitorSidebarSummary.h"
#include "MonitorStoreError.h"
#include "Uuid.h"
#include "WorkspaceChangeActivity.h"
#include "WorkspaceLoadState.h"
#endif

#include <QObject>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tavlen {

class MonitorChangesDraft;
class MonitorEditorSession;

// The observed state of the workspace and the gates derived from it alone. Each setter stores the value and
// notifies only when it differs by the property's own equality; changeDrafts and editor notify on every write,
// and so do the element writes (one monitor replaced or appended, one draft inserted).
// Main thread only.
class MonitorWorkspaceState : public QObject
{
    Q_OBJECT

public:
    using ChangeDrafts = std::map<Uuid, std::shared_ptr<MonitorChangesDraft>>;
    using SidebarSummaries = std::unordered_map<Uuid, MonitorSidebarSummary>;

    MonitorWorkspaceState();
    ~MonitorWorkspaceState() override;

    // Every stored monitor in sidebar order.
    const std::vector<Monitor>& monitors() const { return m_monitors; }

    const WorkspaceLoadState& loadState() const { return m_loadState; }

    // True for the whole of every running workspace operation.
    bool isBusy() const { return m_isBusy; }

    const std::optional<WorkspaceChangeActivity>& changeActivity() const { return m_changeActivity; }

    const SidebarSummaries& sidebarSummaries() const { return m_sidebarSummaries; }

    const std::optional<MonitorStoreError>& sidebarError() const { return m_sidebarError; }

    // One draft per monitor of monitors().
    const ChangeDrafts& changeDrafts() const { return m_changeDrafts; }

    // The monitor's draft, or null.
    std::shared_ptr<MonitorChangesDraft> changeDraft(const Uuid& monitorID) const;

    const std::optional<MonitorEditFocus>& editFocus() const { return m_editFocus; }

    const std::optional<Uuid>& selection() const { return m_selection; }

    // The open new-monitor sheet, or null.
    const std::shared_ptr<MonitorEditorSession>& editor() const { return m_editor; }

    // The monitor waiting for a delete confirmation.
    const std::optional<Monitor>& deletionCandidate() const { return m_deletionCandidate; }

    // The error of the last failed reorder or delete.
    const std::optional<MonitorStoreError>& actionError() const { return m_actionError; }

    // The first monitor whose id is the selection; none without one.
    std::optional<Monitor> selectedMonitor() const;

    // Whether a workspace operation may start: the list is ready, nothing runs, no sheet is open and no deletion
    // waits for its confirmation.
    bool canStartAction() const;

    // The workspace's reason why a check of the monitor cannot start now: an operation runs, the monitor's changes
    // hold a storage error, or they are unsaved. None when nothing in the workspace stands in the way.
    std::optional<std::string> runBlockedReason(const Uuid& monitorID) const;

    void setMonitors(std::vector<Monitor> monitors);
    // The list after one monitor was replaced in it or appended to it: always notifies.
    void setMonitorsChangedInPlace(std::vector<Monitor> monitors);
    void setLoadState(WorkspaceLoadState state);
    void setIsBusy(bool isBusy);
    void setChangeActivity(std::optional<WorkspaceChangeActivity> activity);
    void setSidebarSummaries(SidebarSummaries summaries);
    void setSidebarError(std::optional<MonitorStoreError> error);
    void setChangeDrafts(ChangeDrafts drafts);
    // Inserts or replaces one draft; always notifies.
    void putChangeDraft(const Uuid& monitorID, std::shared_ptr<MonitorChangesDraft> draft);
    void setEditFocus(std::optional<MonitorEditFocus> focus);
    void setSelection(std::optional<Uuid> selection);
    void setEditor(std::shared_ptr<MonitorEditorSession> editor);
    void setDeletionCandidate(std::optional<Monitor> monitor);
    void setActionError(std::optional<MonitorStoreError> error);

Q_SIGNALS:
    void monitorsChanged();
    void loadStateChanged();
    void isBusyChanged();
    void changeActivityChanged();
    void sidebarSummariesChanged();
    void sidebarErrorChanged();
    void changeDraftsChanged();
    void editFocusChanged();
    void selectionChanged();
    void editorChanged();
    void deletionCandidateChanged();
    void actionErrorChanged();

private:
    std::vector<Monitor> m_monitors;
    WorkspaceLoadState m_loadState = WorkspaceLoadState::loading();
    bool m_isBusy = false;
    std::optional<WorkspaceChangeActivity> m_changeActivity;
    SidebarSummaries m_sidebarSummaries;
    std::optional<MonitorStoreError> m_sidebarError;
    ChangeDrafts m_changeDrafts;
    std::optional<MonitorEditFocus> m_editFocus;
    std::optional<Uuid> m_selection;
    std::shared_ptr<MonitorEditorSession> m_editor;
    std::optional<Monitor> m_deletionCandidate;
    std::optional<MonitorStoreError> m_actionError;
};

} // namespace tavlen
