#include "StepsExecutions.h"

#include "ExecutionText.h"
#include "MainThread.h"
#include "MonitorStoreError.h"
#include "StepsDraft.h"
#include "StepsExecutionControl.h"
#include "StepsExecutionFailure.h"
#include "StepsRepository.h"
#include "StepsRunGate.h"
#include "StepsSession.h"
#include "StepsStoreState.h"

#include <QPointer>

#include <algorithm>

namespace tavlen {

namespace {

bool hasStorageError(const StepsSession& session)
{
    const auto& error = session.error();
    return error && error->kind() != MonitorStoreError::Kind::validation &&
           error->kind() != MonitorStoreError::Kind::busy;
}

} // namespace

StepsExecutions::StepsExecutions(StepsStoreState& state,
                                 StepsRepository& repository,
                                 std::shared_ptr<StepsExecutor> executor,
                                 const StepsRunGate& gate,
                                 StepsExecutionControl& control,
                                 StepsSettlement& settlement,
                                 BrowserCaptureSettings defaultCapture)
    : m_state(state)
    , m_repository(repository)
    , m_executor(std::move(executor))
    , m_gate(gate)
    , m_control(control)
    , m_settlement(settlement)
    , m_defaultCapture(defaultCapture)
{}

void StepsExecutions::startExecution(const Uuid& monitorID, const StepsExecutionMode& mode)
{
    Q_ASSERT(isMainThread());
    Q_ASSERT(mode.kind() != StepsExecutionMode::Kind::scheduledCheck);
    if (m_state.deletingMonitors().contains(monitorID) || m_state.isNavigating() || m_gate.isBusy()) {
        return;
    }
    const std::shared_ptr<StepsSession> session = m_state.session(monitorID);
    if (!session || session->isLoading() || session->isSaving() || session->needsReconciliation() ||
        hasStorageError(*session) || !session->draft()) {
        return;
    }
    const std::shared_ptr<StepsDraft> draft = session->draft();
    const bool isStepTest = mode.kind() == StepsExecutionMode::Kind::testStep;
    std::optional<Uuid> target = mode.stepID();
    if (!isStepTest && !draft->steps().empty()) {
        target = draft->steps().back()->id();
    }
    if (!target || !draft->step(*target)) {
        return;
    }
    if (m_gate.executionBlocker(monitorID, *target, !isStepTest)) {
        session->setShowsValidation(true);
        session->setSubmission(Uuid::random());
        return;
    }
    StepsExecutor::Models models = configuredModels(*draft);
    const Uuid operationID = Uuid::random();
    m_state.setOperationID(operationID);
    m_state.setActiveMonitorID(monitorID);
    m_state.setActiveOrigin(isStepTest ? StepsExecutionOrigin::step : StepsExecutionOrigin::monitor);
    m_state.setCancellingMonitorID(std::nullopt);
    if (!isStepTest) {
        draft->resetExecution(0);
    }
    const Uuid revision = draft->revision();
    m_state.setActiveDraft(draft);
    installEditHook(*draft, monitorID);
    const Execution execution{operationID, monitorID, mode, session, 0};
    keepRunning(
        TaskHandle<void>(m_state, [this, execution, draft, revision, models = std::move(models)](std::stop_token stop) {
            return runEditorExecution(execution, draft, revision, models, std::move(stop));
        }));
}

bool StepsExecutions::startScheduledCheck(const QueuedCheck& check,
                                          ScheduledCheckRunner::Claim claim,
                                          ScheduledCheckRunner::ClaimFailure onClaimFailure)
{
    Q_ASSERT(isMainThread());
    if (!m_gate.canRunScheduledCheck(check.monitorID)) {
        return false;
    }
    m_state.setOperationID(check.id);
    m_state.setActiveMonitorID(check.monitorID);
    m_state.setActiveOrigin(StepsExecutionOrigin::scheduled);
    m_state.setCancellingMonitorID(std::nullopt);
    const Execution execution{check.id, check.monitorID, StepsExecutionMode::scheduledCheck(), nullptr, 0};
    keepRunning(TaskHandle<void>(
        m_state,
        [this, execution, claim = std::move(claim), onClaimFailure = std::move(onClaimFailure)](std::stop_token stop) {
            return runScheduledCheck(execution, claim, onClaimFailure, std::move(stop));
        }));
    return true;
}

void StepsExecutions::keepRunning(TaskHandle<void> task)
{
    // A task that settled before its first suspension (a claim refused at once) already dropped its handle.
    if (!task.isFinished()) {
        m_state.operation = std::move(task);
    }
}

QCoro::Task<void> StepsExecutions::runEditorExecution(Execution execution,
                                                      std::shared_ptr<StepsDraft> draft,
                                                      Uuid revision,
                                                      StepsExecutor::Models models,
                                                      std::stop_token stop)
{
    const QPointer<StepsStoreState> alive(&m_state);
    execution.startedAtMilliseconds = m_settlement.nowMilliseconds();
    if (execution.mode.kind() == StepsExecutionMode::Kind::manualCheck) {
        // The check runs only what is stored, with the models the stored workflow names.
        SavedExecution saved;
        std::exception_ptr error;
        try {
            auto reading = m_repository.savedExecution(execution.monitorID, stop);
            saved = co_await std::move(reading);
        } catch (...) {
            error = std::current_exception();
        }
        if (!alive) {
            co_return;
        }
        if (error) {
            auto failing = failBeforeRunning(execution, error, stop.stop_requested());
            co_await std::move(failing);
            co_return;
        }
        if (!saved.steps || saved.steps->workflow.document.steps != draft->documentEntries()) {
            auto failing = failBeforeRunning(execution, std::make_exception_ptr(MonitorStoreError::staleEdit()), false);
            co_await std::move(failing);
            co_return;
        }
        if (stop.stop_requested()) {
            auto failing = failBeforeRunning(execution, nullptr, true);
            co_await std::move(failing);
            co_return;
        }
        models = StepsExecutor::Models(saved.models.begin(), saved.models.end());
    }
    m_state.setActiveDraft(draft);
    installEditHook(*draft, execution.monitorID);
    auto running = run(execution, std::move(draft), revision, std::move(models), std::move(stop));
    co_await std::move(running);
}

QCoro::Task<void> StepsExecutions::runScheduledCheck(Execution execution,
                                                     ScheduledCheckRunner::Claim claim,
                                                     ScheduledCheckRunner::ClaimFailure onClaimFailure,
                                                     std::stop_token stop)
{
    // The claim runs as a task of its own: cancelling the check does not stop it, so a queued check that was
    // claimed is always consumed by a stored check.
    const TaskHandle<bool> claiming(m_state, [this, claim](std::stop_token) -> QCoro::Task<bool> {
        if (!m_gate.isChromeReadyForScheduledCheck()) {
            co_return false;
        }
        auto claimed = claim();
        co_return co_await std::move(claimed);
    });
    const QPointer<StepsStoreState> alive(&m_state);
    bool claimed = false;
    std::exception_ptr claimError;
    try {
        auto waiting = claiming.result();
        claimed = co_await std::move(waiting);
    } catch (...) {
        claimError = std::current_exception();
    }
    if (!alive) {
        co_return;
    }
    if (claimError) {
        if (onClaimFailure) {
            onClaimFailure(claimError);
        }
        m_settlement.settle(execution.operationID);
        co_return;
    }
    if (!claimed) {
        m_settlement.settle(execution.operationID);
        co_return;
    }
    execution.startedAtMilliseconds = m_settlement.nowMilliseconds();
    std::exception_ptr failure;
    SavedExecution saved;
    if (!stop.stop_requested()) {
        try {
            auto reading = m_repository.savedExecution(execution.monitorID, stop);
            saved = co_await std::move(reading);
            if (!saved.steps && !stop.stop_requested()) {
                throw StepsExecutionFailure(execution_text::saveStepsForSchedule);
            }
        } catch (...) {
            failure = std::current_exception();
        }
        if (!alive) {
            co_return;
        }
    }
    std::shared_ptr<StepsDraft> draft;
    if (!failure && !stop.stop_requested()) {
        draft = StepsDraft::makeFromDocument(saved.steps->workflow.document.steps, nullptr, m_defaultCapture);
        if (draft->steps().empty()) {
            failure = std::make_exception_ptr(MonitorStoreError::invalidStoredData());
        }
    }
    if (failure || stop.stop_requested()) {
        auto failing = failBeforeRunning(execution, failure, stop.stop_requested());
        co_await std::move(failing);
        co_return;
    }
    m_state.setActiveDraft(draft);
    const Uuid revision = draft->revision();
    StepsExecutor::Models models(saved.models.begin(), saved.models.end());
    auto running = run(execution, std::move(draft), revision, std::move(models), std::move(stop));
    co_await std::move(running);
}

QCoro::Task<void> StepsExecutions::run(const Execution& execution,
                                       std::shared_ptr<StepsDraft> draft,
                                       Uuid revision,
                                       StepsExecutor::Models models,
                                       std::stop_token stop)
{
    const StepsDraft* draftObject = draft.get();
    auto isCurrent = [this, execution, draftObject, revision] {
        return m_control.isExecutionCurrent(
            execution.operationID, *draftObject, revision, execution.session, execution.monitorID);
    };
    auto acceptsUsage = [this, operationID = execution.operationID] {
        return m_control.isOperationActive(operationID);
    };
    // Held by the frame, so a store that goes away meanwhile leaves the running executor intact.
    const std::shared_ptr<StepsExecutor> executor = m_executor;
    auto executing = executor->execute(
        std::move(draft), execution.mode, std::move(models), std::move(isCurrent), std::move(acceptsUsage), stop);
    const QPointer<StepsStoreState> alive(&m_state);
    StepsExecutionResult result = co_await std::move(executing);
    if (!alive) {
        co_return;
    }
    auto completing = m_settlement.complete(execution, std::move(result));
    co_await std::move(completing);
    if (alive) {
        m_settlement.settle(execution.operationID);
    }
}

QCoro::Task<void>
StepsExecutions::failBeforeRunning(const Execution& execution, std::exception_ptr error, bool cancelled)
{
    const QPointer<StepsStoreState> alive(&m_state);
    auto failing = m_settlement.failBeforeRunning(execution, std::move(error), cancelled);
    co_await std::move(failing);
    if (alive) {
        m_settlement.settle(execution.operationID);
    }
}

void StepsExecutions::installEditHook(StepsDraft& draft, const Uuid& monitorID)
{
    draft.setOnEdit([state = QPointer<StepsStoreState>(&m_state), control = &m_control, monitorID] {
        if (state) {
            control->cancelExecution(monitorID);
        }
    });
}

StepsExecutor::Models StepsExecutions::configuredModels(const StepsDraft& draft) const
{
    StepsExecutor::Models models;
    if (!m_state.models()) {
        return models;
    }
    const std::vector<ConfiguredModel> configured = (*m_state.models())();
    for (const auto& step : draft.steps()) {
        const StepsReadSettings* read = step->content().readSettings();
        if (!read || !read->modelID()) {
            continue;
        }
        const auto model = std::find_if(configured.begin(), configured.end(), [&](const ConfiguredModel& candidate) {
            return candidate.id == *read->modelID();
        });
        if (model != configured.end()) {
            models.emplace(step->id(), model->selection);
        }
    }
    return models;
}

} // namespace tavlen
