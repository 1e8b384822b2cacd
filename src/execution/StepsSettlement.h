#pragma once

#include "StepsExecutionMode.h"
#include "StepsExecutionResult.h"
#include "Uuid.h"

#include <QCoroTask>

#include <cstdint>
#include <exception>
#include <memory>

namespace tavlen {

class MonitorCheckStore;
class StepsExecutor;
class StepsSession;
class StepsStoreState;
class TimeSource;

// The end of an execution: its outcome becomes the monitor's latest execution and, for a check, a stored check;
// then the store returns to idle. Main thread only.
class StepsSettlement
{
public:
    // What an execution carries from its start to its settlement.
    struct Execution
    {
        Uuid operationID;
        Uuid monitorID;
        StepsExecutionMode mode;
        std::shared_ptr<StepsSession> session; // none for a scheduled check
        std::int64_t startedAtMilliseconds = 0;
    };

    // Everything given must outlive the settlement.
    StepsSettlement(StepsStoreState& state,
                    StepsExecutor& executor,
                    MonitorCheckStore& results,
                    const TimeSource& time);

    // The time's date in milliseconds since 1970.
    std::int64_t nowMilliseconds() const;

    // Records the executor's result, unless the monitor is gone or the execution's session was removed or
    // replaced meanwhile; a check is stored.
    QCoro::Task<void> complete(const Execution& execution, StepsExecutionResult result);
    // Records a check that failed before any step ran ("cancelled" when cancelled), unless the monitor is gone.
    QCoro::Task<void> failBeforeRunning(const Execution& execution, std::exception_ptr error, bool cancelled);
    // Returns the store to idle when that execution is the running one: leaves no step running and no capture
    // phase behind, clears the executor's live state and calls onExecutionSettled.
    void settle(const Uuid& operationID);

private:
    void recordLatest(const Execution& execution,
                      const std::optional<MonitorCheckFailure>& failure,
                      std::int64_t completedAtMilliseconds);

    StepsStoreState& m_state;
    StepsExecutor& m_executor;
    MonitorCheckStore& m_results;
    const TimeSource& m_time;
};

} // namespace tavlen
