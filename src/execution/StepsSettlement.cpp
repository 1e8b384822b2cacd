#include "StepsSettlement.h"

#include "ExecutionFailure.h"
#include "MainThread.h"
#include "MonitorCheckStore.h"
#include "StepsDraft.h"
#include "StepsExecutor.h"
#include "StepsSession.h"
#include "StepsStoreState.h"
#include "TimeSource.h"

#include <algorithm>

namespace tavlen {

namespace {

bool isCheck(const StepsExecutionMode& mode)
{
    return mode.kind() != StepsExecutionMode::Kind::testStep;
}

} // namespace

StepsSettlement::StepsSettlement(StepsStoreState& state,
                                 StepsExecutor& executor,
                                 MonitorCheckStore& results,
                                 const TimeSource& time)
    : m_state(state)
    , m_executor(executor)
    , m_results(results)
    , m_time(time)
{}

std::int64_t StepsSettlement::nowMilliseconds() const
{
    return m_time.date().milliseconds();
}

void StepsSettlement::recordLatest(const Execution& execution,
                                   const std::optional<MonitorCheckFailure>& failure,
                                   std::int64_t completedAtMilliseconds)
{
    m_state.setLatestExecution(execution.monitorID, execution.operationID, outcomeOf(failure), completedAtMilliseconds);
}

QCoro::Task<void> StepsSettlement::complete(const Execution& execution, StepsExecutionResult result)
{
    Q_ASSERT(isMainThread());
    if (!m_state.isRetained(execution.monitorID)) {
        co_return;
    }
    if (execution.session && m_state.session(execution.monitorID) != execution.session) {
        co_return;
    }
    // The wall clock may have gone back while the steps ran; a check never ends before it started.
    const std::int64_t completedAt = std::max(execution.startedAtMilliseconds, nowMilliseconds());
    recordLatest(execution, result.failure, completedAt);
    if (!isCheck(execution.mode)) {
        co_return;
    }
    const auto readingCount = static_cast<std::int64_t>(result.readings.size());
    MonitorCheckRecord record{MonitorCheck{execution.operationID,
                                           execution.monitorID,
                                           execution.startedAtMilliseconds,
                                           completedAt,
                                           result.failure,
                                           readingCount,
                                           std::move(result.usage)},
                              std::move(result.readings)};
    auto recording = m_results.recordResult(std::move(record));
    co_await std::move(recording);
}

QCoro::Task<void>
StepsSettlement::failBeforeRunning(const Execution& execution, std::exception_ptr error, bool cancelled)
{
    Q_ASSERT(isMainThread());
    if (!m_state.isRetained(execution.monitorID)) {
        co_return;
    }
    const MonitorCheckFailure failure = cancelled ? cancelledFailure() : checkFailureOf(error);
    const std::int64_t completedAt = std::max(execution.startedAtMilliseconds, nowMilliseconds());
    recordLatest(execution, failure, completedAt);
    MonitorCheckRecord record{MonitorCheck{execution.operationID,
                                           execution.monitorID,
                                           execution.startedAtMilliseconds,
                                           completedAt,
                                           failure,
                                           0,
                                           MonitorCheckUsage{}},
                              {}};
    auto recording = m_results.recordResult(std::move(record));
    co_await std::move(recording);
}

void StepsSettlement::settle(const Uuid& operationID)
{
    Q_ASSERT(isMainThread());
    if (m_state.operationID() != operationID) {
        return;
    }
    if (const std::shared_ptr<StepsDraft> draft = m_state.activeDraft()) {
        for (const auto& step : draft->steps()) {
            if (StepsOpenPageSettings* page = step->content().openPageSettings(); page && page->phase()) {
                page->setPhase(std::nullopt);
            }
            if (step->execution().kind() == StepsExecutionState::Kind::running) {
                step->setExecution(StepsExecutionState::unexecuted());
            }
        }
        draft->setOnEdit(nullptr);
    }
    m_state.setActiveDraft(nullptr);
    m_executor.setActiveModel(std::nullopt);
    m_executor.setProgress(std::nullopt);
    m_state.setActiveMonitorID(std::nullopt);
    m_state.setActiveOrigin(std::nullopt);
    m_state.setCancellingMonitorID(std::nullopt);
    m_state.operation.reset();
    m_state.setOperationID(std::nullopt);
    m_state.notifyExecutionSettled();
}

} // namespace tavlen
