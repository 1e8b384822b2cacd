#include "StepsRunGate.h"

#include "ExecutionText.h"
#include "MainThread.h"
#include "MonitorCheckStore.h"
#include "StepsBrowser.h"
#include "StepsDraft.h"
#include "StepsExecutor.h"
#include "StepsScreenshotCapturing.h"
#include "StepsSession.h"
#include "StepsStoreState.h"

#include <algorithm>

namespace tavlen {

namespace {

// Input problems the executor cannot work around: a step with one of them does not start. The others (field
// names and instructions, the URL, the delay) are reported by the executor as the step's failure when it runs.
bool blocksRun(const StepsField::Kind& kind)
{
    using Case = StepsField::Kind::Case;
    switch (kind.kindCase()) {
    case Case::model:
    case Case::timeout:
    case Case::viewportWidth:
    case Case::viewportHeight:
    case Case::deviceScaleFactor:
        return true;
    case Case::url:
    case Case::delay:
    case Case::fieldName:
    case Case::fieldInstruction:
        return false;
    }
    return true;
}

// A session error that must be resolved before anything runs: every storage error, not a rejected save.
bool isStorageError(const std::optional<MonitorStoreError>& error)
{
    return error && error->kind() != MonitorStoreError::Kind::validation &&
           error->kind() != MonitorStoreError::Kind::busy;
}

} // namespace

StepsRunGate::StepsRunGate(const StepsStoreState& state,
                           const MonitorCheckStore& results,
                           const StepsExecutor& executor,
                           const StepsScreenshotCapturing& captureService)
    : m_state(state)
    , m_results(results)
    , m_executor(executor)
    , m_captureService(captureService)
{}

bool StepsRunGate::isBusy() const
{
    return m_state.operationID().has_value() || !m_results.storingResults().empty();
}

bool StepsRunGate::isRunningSteps(const Uuid& monitorID) const
{
    if (m_state.activeOrigin() == StepsExecutionOrigin::scheduled) {
        return false;
    }
    return (m_state.activeMonitorID() == monitorID && m_state.operationID()) ||
           m_results.storingResults().contains(monitorID);
}

std::optional<StepsExecutionProgress> StepsRunGate::executionProgress(const Uuid& monitorID) const
{
    if (m_state.activeMonitorID() != monitorID) {
        return std::nullopt;
    }
    return m_executor.progress();
}

std::optional<std::string>
StepsRunGate::executionBlocker(const Uuid& monitorID, const Uuid& stepID, bool includeAll) const
{
    Q_ASSERT(isMainThread());
    const std::shared_ptr<StepsSession> session = m_state.session(monitorID);
    if (!session || !session->draft()) {
        return std::nullopt;
    }
    const StepsDraft::StepList& steps = session->draft()->steps();
    const auto target =
        std::find_if(steps.begin(), steps.end(), [&](const auto& step) { return step->id() == stepID; });
    if (target == steps.end()) {
        return std::nullopt;
    }
    for (auto it = steps.begin(); it != std::next(target); ++it) {
        const Step& step = **it;
        if (!includeAll && it != target && step.execution().kind() == StepsExecutionState::Kind::succeeded) {
            continue;
        }
        for (const StepsValidationIssue& issue : step.validationIssues()) {
            if (blocksRun(issue.field.kind)) {
                return issue.message;
            }
        }
        if (step.content().openPageSettings()) {
            if (auto reason = m_captureService.unavailableReason()) {
                return reason;
            }
        } else if (const StepsReadSettings* read = step.content().readSettings()) {
            const auto& models = m_state.models();
            const auto configured = models ? (*models)() : std::vector<ConfiguredModel>{};
            const bool found = std::any_of(configured.begin(), configured.end(), [&](const ConfiguredModel& model) {
                return model.id == read->modelID();
            });
            if (!found) {
                return std::string(execution_text::modelNotConfigured);
            }
        }
    }
    return std::nullopt;
}

std::optional<std::string> StepsRunGate::unavailableReason(const Uuid& monitorID) const
{
    Q_ASSERT(isMainThread());
    if (m_state.monitorCheckUnavailableReason) {
        if (auto reason = m_state.monitorCheckUnavailableReason(monitorID)) {
            return reason;
        }
    }
    if (m_state.deletingMonitors().contains(monitorID)) {
        return std::string(execution_text::monitorBeingDeleted);
    }
    const std::shared_ptr<StepsSession> session = m_state.session(monitorID);
    if (!session || session->isLoading()) {
        return std::string(execution_text::loadingSteps);
    }
    if (!session->draft()) {
        return std::string(execution_text::stepsUnavailable);
    }
    if (session->isSaving()) {
        return std::string(execution_text::savingSteps);
    }
    if (session->needsReconciliation() || isStorageError(session->error())) {
        return std::string(execution_text::resolveStorageError);
    }
    if (m_results.pendingResults().contains(monitorID)) {
        return std::string(execution_text::retryStoringResults);
    }
    if (!m_results.checkRepository()) {
        return std::string(execution_text::checkStorageUnavailable);
    }
    if (!session->version() || session->hasUnsavedChanges()) {
        return std::string(execution_text::saveStepsFirst);
    }
    if (m_state.isNavigating()) {
        return std::string(execution_text::finishNavigation);
    }
    if (isBusy()) {
        return std::string(execution_text::executionInProgress);
    }
    const StepsDraft::StepList& steps = session->draft()->steps();
    if (!steps.empty()) {
        return executionBlocker(monitorID, steps.back()->id(), true);
    }
    return std::nullopt;
}

bool StepsRunGate::canStartScheduledCheck() const
{
    return !m_state.isNavigating() && !isBusy() && isChromeReadyForScheduledCheck();
}

bool StepsRunGate::isChromeReadyForScheduledCheck() const
{
    if (m_captureService.capturing()) {
        return false;
    }
    // Idleness counts only for a selected profile that is connected; otherwise the capture service's reason
    // (the connection text) says why not.
    const StepsBrowser& browser = m_captureService.browser();
    if (browser.isConnected() && !browser.isIdle()) {
        return false;
    }
    return !m_captureService.unavailableReason();
}

bool StepsRunGate::canRunScheduledCheck(const Uuid& monitorID) const
{
    return canStartScheduledCheck() && m_results.checkRepository() != nullptr &&
           !m_state.deletingMonitors().contains(monitorID) && !m_results.pendingResults().contains(monitorID) &&
           m_state.isRetained(monitorID);
}

} // namespace tavlen
