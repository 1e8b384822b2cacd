#include "StepsExecutionControl.h"

#include "MainThread.h"
#include "MonitorCheckStore.h"
#include "StepsDraft.h"
#include "StepsSession.h"
#include "StepsStoreState.h"

#include <set>

namespace tavlen {

namespace {

// Waits for a task of the store without taking its outcome: the tasks settle their own failures.
template <class T> QCoro::Task<void> awaitEnd(TaskHandle<T> task)
{
    try {
        auto waiting = task.result();
        co_await std::move(waiting);
    } catch (...) {
        // A task bound to the store ends with CancelledError when the store goes away; nothing to report.
    }
}

} // namespace

StepsExecutionControl::StepsExecutionControl(StepsStoreState& state, MonitorCheckStore& results)
    : m_state(state)
    , m_results(results)
{}

void StepsExecutionControl::cancelExecution(const Uuid& monitorID)
{
    Q_ASSERT(isMainThread());
    // A result write in progress is the tail of an execution that has finished: nothing is left to cancel.
    if (m_state.activeMonitorID() != monitorID || !m_results.storingResults().empty()) {
        return;
    }
    m_state.setCancellingMonitorID(monitorID);
    if (m_state.operation) {
        m_state.operation->cancel();
    }
}

QCoro::Task<void> StepsExecutionControl::stopExecution(Uuid monitorID, StepsStopMode mode)
{
    Q_ASSERT(isMainThread());
    if (m_state.activeMonitorID() != monitorID || mode == StepsStopMode::none) {
        co_return;
    }
    if (mode == StepsStopMode::interactive && m_state.activeOrigin() == StepsExecutionOrigin::scheduled) {
        co_return;
    }
    cancelExecution(monitorID);
    if (m_state.operation) {
        auto waiting = awaitEnd(*m_state.operation);
        co_await std::move(waiting);
    }
}

QCoro::Task<void> StepsExecutionControl::waitForMonitorTasks(Uuid monitorID, StepsStopMode mode)
{
    Q_ASSERT(isMainThread());
    if (const auto load = m_state.loads.find(monitorID); load != m_state.loads.end()) {
        const std::shared_ptr<StepsSession> session = m_state.session(monitorID);
        if (mode != StepsStopMode::none || (session && session->draft())) {
            auto waiting = awaitEnd(load->second);
            co_await std::move(waiting);
        }
    }
    if (const auto save = m_state.saves.find(monitorID); save != m_state.saves.end()) {
        auto waiting = awaitEnd(save->second);
        co_await std::move(waiting);
    }
    auto stopping = stopExecution(monitorID, mode);
    co_await std::move(stopping);
    const bool scheduledCheckOfMonitor =
        m_state.activeMonitorID() == monitorID && m_state.activeOrigin() == StepsExecutionOrigin::scheduled;
    if (mode == StepsStopMode::none || (mode == StepsStopMode::interactive && scheduledCheckOfMonitor)) {
        co_return;
    }
    auto writing = m_results.waitForResultWrite(monitorID);
    co_await std::move(writing);
}

QCoro::Task<void> StepsExecutionControl::waitUntilIdle(bool forTermination)
{
    Q_ASSERT(isMainThread());
    const StepsStopMode mode = forTermination ? StepsStopMode::all : StepsStopMode::none;
    if (const std::optional<Uuid> active = m_state.activeMonitorID()) {
        auto stopping = stopExecution(*active, mode);
        co_await std::move(stopping);
    }
    std::set<Uuid> monitorIDs;
    for (const auto& entry : m_state.sessions()) {
        monitorIDs.insert(entry.first);
    }
    for (const Uuid& monitorID : m_results.storingResults()) {
        monitorIDs.insert(monitorID);
    }
    for (const Uuid& monitorID : monitorIDs) {
        auto waiting = waitForMonitorTasks(monitorID, mode);
        co_await std::move(waiting);
    }
}

bool StepsExecutionControl::isExecutionCurrent(const Uuid& executionID,
                                               const StepsDraft& draft,
                                               const Uuid& revision,
                                               const std::shared_ptr<StepsSession>& session,
                                               const Uuid& monitorID) const
{
    if (m_state.operationID() != executionID || draft.revision() != revision) {
        return false;
    }
    return !session || (m_state.session(monitorID) == session && session->draft().get() == &draft);
}

bool StepsExecutionControl::isOperationActive(const Uuid& executionID) const
{
    return m_state.operationID() == executionID;
}

} // namespace tavlen
