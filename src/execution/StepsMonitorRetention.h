#pragma once

#include "ModelSelection.h"
#include "Uuid.h"

#include <QCoroTask>

#include <set>

namespace tavlen {

class MonitorCheckStore;
class StepsExecutionControl;
class StepsExecutor;
class StepsRunGate;
class StepsStoreState;

// How the steps store follows the workspace's monitors (deletion around running work, the list of monitors that
// still exist), retries a monitor's unstored result, deletes a stored check and stops a Read step whose
// provider's API key goes away. Main thread only.
class StepsMonitorRetention
{
public:
    // Everything given must outlive the retention.
    StepsMonitorRetention(StepsStoreState& state,
                          MonitorCheckStore& results,
                          const StepsExecutor& executor,
                          const StepsRunGate& gate,
                          StepsExecutionControl& control);

    // Marks the monitor as being deleted, then waits for all of its work to end (any execution of it cancelled).
    QCoro::Task<void> beginDeletingMonitor(Uuid monitorID);
    void endDeletingMonitor(const Uuid& monitorID);
    // Follows the workspace's monitors: cancels the execution of a monitor that is gone and its running load,
    // and forgets its session, unstored result and latest execution.
    void retainMonitors(const std::set<Uuid>& monitorIDs);
    // Writes the monitor's unstored result again, unless the monitor is being deleted, anything runs or a
    // navigation decision does.
    QCoro::Task<void> retryStoringResult(Uuid monitorID);
    // Deletes a stored check and forgets it as the monitor's latest execution. Throws what the check store throws.
    QCoro::Task<void> deleteCheck(Uuid monitorID, Uuid checkID);
    // Cancels the running execution while its active Read step reads through the provider.
    void cancelReadingForProvider(ModelSelection::Provider provider);

private:
    StepsStoreState& m_state;
    MonitorCheckStore& m_results;
    const StepsExecutor& m_executor;
    const StepsRunGate& m_gate;
    StepsExecutionControl& m_control;
};

} // namespace tavlen
