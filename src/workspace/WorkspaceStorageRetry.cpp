#include "WorkspaceStorageRetry.h"

#include "MainThread.h"
#include "MonitorChangesDraft.h"
#include "MonitorListRead.h"
#include "MonitorRepository.h"
#include "MonitorWorkspace.h"
#include "StepsSession.h"
#include "WorkspaceStepsStore.h"

#include <QPointer>

#include <algorithm>
#include <memory>
#include <set>

namespace tavlen {

namespace {

std::optional<Monitor> findMonitor(const std::vector<Monitor>& monitors, const Uuid& monitorID)
{
    const auto found = std::find_if(
        monitors.begin(), monitors.end(), [&monitorID](const Monitor& monitor) { return monitor.id == monitorID; });
    return found == monitors.end() ? std::nullopt : std::optional(*found);
}

QCoro::Task<void> reload(QPointer<MonitorWorkspace> self, Uuid monitorID, bool discardsEdits)
{
    if (!self || self->isBusy()) {
        co_return;
    }
    self->setIsBusy(true);
    const std::shared_ptr<MonitorRepository> repository = self->sharedRepository();
    const std::shared_ptr<WorkspaceStepsStore> store = self->stepsStore();
    if (discardsEdits && store) {
        auto settling = store->waitForMonitorTasks(monitorID);
        co_await std::move(settling);
        if (!self) {
            co_return;
        }
    }

    auto reading = MonitorListRead::from(repository, "Reading the monitors again");
    MonitorListRead read = co_await std::move(reading);
    if (!self) {
        co_return;
    }
    if (read.error) {
        if (const std::shared_ptr<MonitorChangesDraft> draft = self->changeDraft(monitorID)) {
            draft->setSaveError(*read.error);
        }
        self->setIsBusy(false);
        co_return;
    }
    const std::vector<Monitor>& monitors = read.monitors;

    // The drafts first, as in a load: whoever observes the list finds every listed monitor's draft.
    self->syncChangeDrafts(monitors, true);
    self->setMonitors(monitors);
    const std::optional<Monitor> stored = findMonitor(monitors, monitorID);
    if (discardsEdits && stored) {
        self->putChangeDraft(monitorID, std::make_shared<MonitorChangesDraft>(*stored));
        if (store) {
            auto loading = store->loadSteps(monitorID, true);
            co_await std::move(loading);
            if (!self) {
                co_return;
            }
        }
    }
    if (store) {
        std::set<Uuid> listed;
        for (const Monitor& monitor : self->monitors()) {
            listed.insert(monitor.id);
        }
        store->retainMonitors(listed);
        const std::shared_ptr<StepsSession> session = store->session(monitorID);
        if (!discardsEdits && session && session->needsReconciliation()) {
            auto reconciling = store->reloadSteps(monitorID);
            co_await std::move(reconciling);
            if (!self) {
                co_return;
            }
        }
    }

    const std::vector<Monitor>& listed = self->monitors();
    if (listed.empty()) {
        self->setSelection(std::nullopt);
    } else if (!self->selection() || !findMonitor(listed, *self->selection())) {
        self->setSelection(listed.front().id);
    }
    self->setLoadState(WorkspaceLoadState::ready());
    self->setActionError(std::nullopt);
    self->notifySchedulesChanged();
    auto refreshing = self->refreshSidebarSummaries();
    co_await std::move(refreshing);
    if (self) {
        self->setIsBusy(false);
    }
}

} // namespace

QCoro::Task<void> WorkspaceStorageRetry::retryStorage(const Uuid& monitorID)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    return reload(QPointer<MonitorWorkspace>(&m_workspace), monitorID, false);
}

QCoro::Task<void> WorkspaceStorageRetry::discardAndReload(const Uuid& monitorID)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    return reload(QPointer<MonitorWorkspace>(&m_workspace), monitorID, true);
}

} // namespace tavlen
