#pragma once

#include "BrowserCaptureSettings.h"
#include "QueuedCheck.h"
#include "ScheduledCheckRunner.h"
#include "StepsExecutionMode.h"
#include "StepsExecutor.h"
#include "StepsSettlement.h"
#include "TaskHandle.h"
#include "Uuid.h"

#include <QCoroTask>

#include <memory>
#include <stop_token>

namespace tavlen {

class StepsDraft;
class StepsExecutionControl;
class StepsRepository;
class StepsRunGate;
class StepsStoreState;

// Starts the one execution the application runs at a time (a step test, a manual check or a scheduled check) and
// runs its task: the saved-execution read of a check, the claim of a scheduled check, the executor, then
// completion and settlement. Main thread only.
class StepsExecutions
{
public:
    // Everything given must outlive the executions; the state owns the tasks.
    StepsExecutions(StepsStoreState& state,
                    StepsRepository& repository,
                    std::shared_ptr<StepsExecutor> executor,
                    const StepsRunGate& gate,
                    StepsExecutionControl& control,
                    StepsSettlement& settlement,
                    BrowserCaptureSettings defaultCapture);

    // Starts a step test or a manual check of the session's draft, or does nothing; whether it started shows in
    // the state's operationID. A step blocked by its inputs makes the editor show validation instead.
    void startExecution(const Uuid& monitorID, const StepsExecutionMode& mode);
    // Starts a scheduled check when the gate lets it; whether it started.
    bool startScheduledCheck(const QueuedCheck& check,
                             ScheduledCheckRunner::Claim claim,
                             ScheduledCheckRunner::ClaimFailure onClaimFailure);

private:
    using Execution = StepsSettlement::Execution;

    QCoro::Task<void> runEditorExecution(Execution execution,
                                         std::shared_ptr<StepsDraft> draft,
                                         Uuid revision,
                                         StepsExecutor::Models models,
                                         std::stop_token stop);
    QCoro::Task<void> runScheduledCheck(Execution execution,
                                        ScheduledCheckRunner::Claim claim,
                                        ScheduledCheckRunner::ClaimFailure onClaimFailure,
                                        std::stop_token stop);
    // Runs the draft through the executor, then completes and settles the execution.
    QCoro::Task<void> run(const Execution& execution,
                          std::shared_ptr<StepsDraft> draft,
                          Uuid revision,
                          StepsExecutor::Models models,
                          std::stop_token stop);
    QCoro::Task<void> failBeforeRunning(const Execution& execution, std::exception_ptr error, bool cancelled);
    // Keeps the started execution's task in the state, to cancel and await it.
    void keepRunning(TaskHandle<void> task);
    // Cancels the monitor's step test or manual check on every edit of its draft.
    void installEditHook(StepsDraft& draft, const Uuid& monitorID);
    StepsExecutor::Models configuredModels(const StepsDraft& draft) const;

    StepsStoreState& m_state;
    StepsRepository& m_repository;
    std::shared_ptr<StepsExecutor> m_executor;
    const StepsRunGate& m_gate;
    StepsExecutionControl& m_control;
    StepsSettlement& m_settlement;
    const BrowserCaptureSettings m_defaultCapture;
};

} // namespace tavlen
