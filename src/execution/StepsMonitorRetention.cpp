#include "StepsMonitorRetention.h"

#include "MainThread.h"
#include "MonitorCheckStore.h"
#include "StepsDraft.h"
#include "StepsExecutionControl.h"
#include "StepsExecutor.h"
#include "StepsRunGate.h"
#include "StepsStoreState.h"

namespace tavlen {

StepsMonitorRetention::StepsMonitorRetention(StepsStoreState& state,
                                             MonitorCheckStore& results,
                                             const StepsExecutor& executor,
                                             const StepsRunGate& gate,
                                             StepsExecutionControl& control)
    : m_state(state)
    , m_results(results)
    , m_executor(executor)
    , m_gate(gate)
    , m_control(control)
{}

QCoro::Task<void> StepsMonitorRetention::beginDeletingMonitor(Uuid monitorID)
{
    Q_ASSERT(isMainThread());
    std::set<Uuid> deleting = m_state.deletingMonitors();
    deleting.insert(monitorID);
    m_state.setDeletingMonitors(std::move(deleting));
    auto waiting = m_control.waitForMonitorTasks(monitorID, StepsStopMode::all);
    co_await std::move(waiting);
}

void StepsMonitorRetention::endDeletingMonitor(const Uuid& monitorID)
{
    Q_ASSERT(isMainThread());
    std::set<Uuid> deleting = m_state.deletingMonitors();
    deleting.erase(monitorID);
    m_state.setDeletingMonitors(std::move(deleting));
}

void StepsMonitorRetention::retainMonitors(const std::set<Uuid>& monitorIDs)
{
    Q_ASSERT(isMainThread());
    m_state.setRetainedMonitorIDs(monitorIDs);
    if (const std::optional<Uuid> active = m_state.activeMonitorID(); active && !monitorIDs.contains(*active)) {
        m_control.cancelExecution(*active);
    }
    StepsStoreState::Sessions kept;
    for (const auto& [monitorID, session] : m_state.sessions()) {
        if (monitorIDs.contains(monitorID)) {
            kept.emplace(monitorID, session);
        } else if (const auto load = m_state.loads.find(monitorID); load != m_state.loads.end()) {
            // The entry stays until the task ends; its outcome is dropped, as its session is gone.
            load->second.cancel();
        }
    }
    m_state.setSessions(std::move(kept));
    m_results.retainMonitors(monitorIDs);
    m_state.retainLatestExecutions(monitorIDs);
}

QCoro::Task<void> StepsMonitorRetention::retryStoringResult(Uuid monitorID)
{
    Q_ASSERT(isMainThread());
    if (m_state.deletingMonitors().contains(monitorID) || m_gate.isBusy() || m_state.isNavigating()) {
        co_return;
    }
    auto storing = m_results.storePendingResult(monitorID);
    co_await std::move(storing);
    m_state.notifyExecutionSettled();
}

QCoro::Task<void> StepsMonitorRetention::deleteCheck(Uuid monitorID, Uuid checkID)
{
    Q_ASSERT(isMainThread());
    auto deleting = m_results.deleteCheck(monitorID, checkID);
    const bool wasPending = co_await std::move(deleting);
    if (const auto latest = m_state.latestExecutionIDs().find(monitorID);
        latest != m_state.latestExecutionIDs().end() && latest->second == checkID) {
        m_state.eraseLatestExecution(monitorID);
    }
    if (wasPending) {
        m_state.notifyExecutionSettled();
    }
}

void StepsMonitorRetention::cancelReadingForProvider(ModelSelection::Provider provider)
{
    Q_ASSERT(isMainThread());
    const std::optional<ModelSelection>& model = m_executor.activeModel();
    const std::optional<Uuid>& monitorID = m_state.activeMonitorID();
    const std::optional<Uuid>& stepID = m_executor.activeStepID();
    const std::shared_ptr<StepsDraft>& draft = m_state.activeDraft();
    if (!model || model->provider != provider || !monitorID || !stepID || !draft) {
        return;
    }
    const std::shared_ptr<Step> step = draft->step(*stepID);
    if (!step || !step->content().readSettings()) {
        return;
    }
    m_control.cancelExecution(*monitorID);
}

} // namespace tavlen
