#pragma once

#include "StepsExecutionOrigin.h"
#include "Uuid.h"

#include <QCoroTask>

#include <memory>

namespace tavlen {

class MonitorCheckStore;
class StepsDraft;
class StepsSession;
class StepsStoreState;

// Cancelling and stopping the running execution, waiting for a monitor's outstanding work or for the whole store,
// and the two currency tests an execution hands to the executor. Main thread only.
class StepsExecutionControl
{
public:
    // Both must outlive the control.
    StepsExecutionControl(StepsStoreState& state, MonitorCheckStore& results);

    // Asks the monitor's running execution to end as cancelled; refused while any result write runs.
    void cancelExecution(const Uuid& monitorID);
    // Cancels the monitor's execution as far as the mode allows and waits for it to end (also when the
    // cancellation was refused).
    QCoro::Task<void> stopExecution(Uuid monitorID, StepsStopMode mode);
    // Waits for the monitor's load (in mode none only once it has a draft) and save, stops its execution as the
    // mode allows and waits for its result write (not in mode none, nor in interactive mode while a scheduled
    // check of the monitor runs).
    QCoro::Task<void> waitForMonitorTasks(Uuid monitorID, StepsStopMode mode);
    // Waits for the work of every monitor; before termination every execution is cancelled first.
    QCoro::Task<void> waitUntilIdle(bool forTermination);

    // The execution is still the running one and its draft still the session's unchanged draft (no session: a
    // scheduled check's private draft).
    bool isExecutionCurrent(const Uuid& executionID,
                            const StepsDraft& draft,
                            const Uuid& revision,
                            const std::shared_ptr<StepsSession>& session,
                            const Uuid& monitorID) const;
    bool isOperationActive(const Uuid& executionID) const;

private:
    StepsStoreState& m_state;
    MonitorCheckStore& m_results;
};

} // namespace tavlen
