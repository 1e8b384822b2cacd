#include "MonitorChangesDiscarding.h"

#include "BlockingSaveError.h"
#include "MainThread.h"
#include "MonitorChangesDraft.h"
#include "MonitorWorkspace.h"
#include "StepsSession.h"
#include "WorkspaceStepsStore.h"

#include <QPointer>

#include <memory>
#include <optional>

namespace tavlen {

namespace {

// A failed reorder or save has already put its error where it belongs; waiting only needs its end.
template <class T> QCoro::Task<void> awaitEnd(TaskHandle<T> operation)
{
    try {
        auto waiting = operation.result();
        co_await std::move(waiting);
    } catch (...) {
    }
}

QCoro::Task<void> waitForPending(QPointer<MonitorWorkspace> self)
{
    if (std::optional<TaskHandle<void>> reorder = self ? self->reorderOperation() : std::nullopt) {
        auto waiting = awaitEnd(*reorder);
        co_await std::move(waiting);
    }
    // Read after that wait, so a save started meanwhile counts.
    if (std::optional<TaskHandle<bool>> change = self ? self->changeOperation() : std::nullopt) {
        auto waiting = awaitEnd(*change);
        co_await std::move(waiting);
    }
}

bool needsStorageRetry(const MonitorWorkspace& workspace, const Uuid& monitorID)
{
    if (const std::shared_ptr<MonitorChangesDraft> draft = workspace.changeDraft(monitorID);
        draft && isStorageFailure(draft->saveError())) {
        return true;
    }
    const std::shared_ptr<WorkspaceStepsStore>& store = workspace.stepsStore();
    const std::shared_ptr<StepsSession> session = store ? store->session(monitorID) : nullptr;
    return session && session->needsReconciliation();
}

void resetDraft(MonitorChangesDraft& draft)
{
    draft.setName(draft.baseline());
    draft.setSchedule(draft.baselineSchedule());
    draft.setShowsScheduleValidation(false);
    // A stale edit, or a storage failure the retry left in place, stays with what was attempted.
    if (!isBlockingSaveError(draft.saveError())) {
        draft.setSaveError(std::nullopt);
        draft.setAttemptedName(std::nullopt);
        draft.setAttemptedInput(std::nullopt);
        draft.setAttemptedSchedule(std::nullopt);
        draft.setAttemptedScheduleInput(std::nullopt);
    }
}

QCoro::Task<bool> discard(QPointer<MonitorWorkspace> self, Uuid monitorID)
{
    auto waiting = waitForPending(self);
    co_await std::move(waiting);
    if (!self || self->isBusy()) {
        co_return false;
    }
    self->setChangeActivity(WorkspaceChangeActivity::discardingChanges(monitorID));
    if (needsStorageRetry(*self, monitorID)) {
        auto retrying = self->retryStorage(monitorID);
        co_await std::move(retrying);
        if (!self) {
            co_return false;
        }
        if (needsStorageRetry(*self, monitorID)) {
            self->setChangeActivity(std::nullopt);
            co_return false;
        }
    }
    if (self->isBusy()) {
        self->setChangeActivity(std::nullopt);
        co_return false;
    }
    self->setIsBusy(true);
    if (const std::shared_ptr<WorkspaceStepsStore> store = self->stepsStore()) {
        auto discarding = store->discardChanges(monitorID);
        co_await std::move(discarding);
        if (!self) {
            co_return false;
        }
    }
    if (const std::shared_ptr<MonitorChangesDraft> draft = self->changeDraft(monitorID)) {
        resetDraft(*draft);
    }
    self->setIsBusy(false);
    self->setChangeActivity(std::nullopt);
    co_return true;
}

} // namespace

QCoro::Task<bool> MonitorChangesDiscarding::discardChanges(const Uuid& monitorID)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    return discard(QPointer<MonitorWorkspace>(&m_workspace), monitorID);
}

QCoro::Task<void> MonitorChangesDiscarding::waitForPendingOperations()
{
    TAVLEN_ASSERT_MAIN_THREAD();
    return waitForPending(QPointer<MonitorWorkspace>(&m_workspace));
}

} // namespace tavlen
