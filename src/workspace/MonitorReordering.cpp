#include "MonitorReordering.h"

#include "MainThread.h"
#include "MonitorRepository.h"
#include "MonitorWorkspace.h"
#include "WorkspaceFailureRule.h"
#include "WorkspaceLog.h"
#include "WorkspaceStepsStore.h"

#include <QPointer>

#include <algorithm>
#include <exception>
#include <memory>

namespace tavlen {

namespace {

QCoro::Task<void> writeOrder(QPointer<MonitorWorkspace> self, std::vector<Uuid> ids, std::vector<Monitor> previous)
{
    const std::shared_ptr<MonitorRepository> repository = self->sharedRepository();
    std::exception_ptr failure;
    try {
        auto writing = repository->reorder(std::move(ids));
        co_await std::move(writing);
    } catch (...) {
        failure = std::current_exception();
    }
    if (!self) {
        co_return;
    }
    if (failure) {
        const MonitorStoreError error = MonitorStoreError::from(failure);
        qCWarning(workspaceLog) << "Storing the monitor order failed:" << error.what();
        self->setMonitors(std::move(previous));
        self->setActionError(error);
        applyWorkspaceFailureRule(*self, error);
    }
    self->setIsBusy(false);
    self->setReorderOperation(std::nullopt);
}

} // namespace

std::optional<std::vector<Uuid>> MonitorReordering::movedOrder(const std::vector<Uuid>& ids,
                                                               const std::set<std::size_t>& offsets,
                                                               std::size_t destination)
{
    if (offsets.empty() || *offsets.rbegin() >= ids.size() || destination > ids.size()) {
        return std::nullopt;
    }
    std::vector<Uuid> moved;
    std::vector<Uuid> remaining;
    for (std::size_t index = 0; index < ids.size(); ++index) {
        (offsets.contains(index) ? moved : remaining).push_back(ids[index]);
    }
    const auto before = static_cast<std::size_t>(std::count_if(
        offsets.begin(), offsets.end(), [destination](std::size_t offset) { return offset < destination; }));
    const auto at = remaining.begin() + static_cast<std::ptrdiff_t>(destination - before);
    remaining.insert(at, moved.begin(), moved.end());
    return remaining;
}

void MonitorReordering::moveMonitors(const std::set<std::size_t>& offsets, std::size_t destination)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (!m_workspace.canStartAction()) {
        return;
    }
    if (const std::shared_ptr<WorkspaceStepsStore>& store = m_workspace.stepsStore(); store && store->isNavigating()) {
        return;
    }
    const std::vector<Monitor> previous = m_workspace.monitors();
    std::vector<Uuid> ids;
    for (const Monitor& monitor : previous) {
        ids.push_back(monitor.id);
    }
    std::optional<std::vector<Uuid>> order = movedOrder(ids, offsets, destination);
    if (!order || *order == ids) {
        return;
    }
    std::vector<Monitor> reordered;
    for (const Uuid& id : *order) {
        reordered.push_back(*std::find_if(
            previous.begin(), previous.end(), [&id](const Monitor& monitor) { return monitor.id == id; }));
    }
    m_workspace.setMonitors(std::move(reordered));
    m_workspace.setActionError(std::nullopt);
    m_workspace.setIsBusy(true);
    m_workspace.setReorderOperation(
        TaskHandle<void>([self = QPointer<MonitorWorkspace>(&m_workspace), ids = std::move(*order), previous](
                             std::stop_token) { return writeOrder(self, ids, previous); }));
}

} // namespace tavlen
