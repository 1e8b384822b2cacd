#include "MonitorDeletion.h"

#include "MainThread.h"
#include "MonitorChangesDraft.h"
#include "MonitorRepository.h"
#include "MonitorWorkspace.h"
#include "WorkspaceFailureRule.h"
#include "WorkspaceLog.h"
#include "WorkspaceStepsStore.h"

#include <QPointer>

#include <algorithm>
#include <exception>
#include <memory>
#include <set>

namespace tavlen {

namespace {

// Drops the deleted monitor from everything the workspace keeps of it.
void forget(MonitorWorkspace& workspace, WorkspaceStepsStore* store, const Uuid& monitorID)
{
    std::vector<Monitor> monitors = workspace.monitors();
    const auto listed = std::find_if(
        monitors.begin(), monitors.end(), [&monitorID](const Monitor& monitor) { return monitor.id == monitorID; });
    if (listed == monitors.end()) {
        return;
    }
    const auto index = static_cast<std::size_t>(listed - monitors.begin());
    monitors.erase(listed);
    workspace.setMonitorsChangedInPlace(monitors);
    workspace.renewSummaryRequest();
    MonitorWorkspace::SidebarSummaries summaries = workspace.sidebarSummaries();
    summaries.erase(monitorID);
    workspace.setSidebarSummaries(std::move(summaries));
    // Drops the monitor's draft (its unsaved edits go with it) and its chart range; the others stay as they are.
    workspace.syncChangeDrafts(monitors, false);
    if (store) {
        std::set<Uuid> remaining;
        for (const Monitor& monitor : monitors) {
            remaining.insert(monitor.id);
        }
        store->retainMonitors(remaining);
    }
    workspace.notifySchedulesChanged();
    if (workspace.selection() == monitorID) {
        workspace.setSelection(monitors.empty() ? std::nullopt
                                                : std::optional(monitors[std::min(index, monitors.size() - 1)].id));
    }
}

QCoro::Task<void> runDelete(QPointer<MonitorWorkspace> self, Uuid monitorID)
{
    const std::shared_ptr<MonitorRepository> repository = self->sharedRepository();
    const std::shared_ptr<WorkspaceStepsStore> store = self->stepsStore();
    if (store) {
        auto settling = store->beginDeletingMonitor(monitorID);
        co_await std::move(settling);
    }
    std::exception_ptr failure;
    if (self) {
        try {
            auto deleting = repository->deleteMonitor(monitorID);
            co_await std::move(deleting);
        } catch (...) {
            failure = std::current_exception();
        }
    }
    if (!self) {
        if (store) {
            store->endDeletingMonitor(monitorID);
        }
        co_return;
    }
    if (failure) {
        const MonitorStoreError error = MonitorStoreError::from(failure);
        qCWarning(workspaceLog) << "Deleting a monitor failed:" << error.what();
        if (store) {
            store->endDeletingMonitor(monitorID);
        }
        self->setActionError(error);
        applyWorkspaceFailureRule(*self, error);
        self->setIsBusy(false);
        co_return;
    }
    forget(*self, store.get(), monitorID);
    if (store) {
        store->endDeletingMonitor(monitorID);
    }
    self->setIsBusy(false);
}

} // namespace

void MonitorDeletion::deleteMonitor(const Uuid& monitorID)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (!m_workspace.loadState().isReady() || m_workspace.isBusy() || m_workspace.editor()) {
        return;
    }
    m_workspace.setDeletionCandidate(std::nullopt);
    m_workspace.setIsBusy(true);
    m_workspace.setOperation(TaskHandle<void>([self = QPointer<MonitorWorkspace>(&m_workspace),
                                               monitorID](std::stop_token) { return runDelete(self, monitorID); }));
}

} // namespace tavlen
