#include "StepsEditing.h"

#include "MainThread.h"
#include "MonitorStoreError.h"
#include "StepsDraft.h"
#include "StepsExecutionControl.h"
#include "StepsRepository.h"
#include "StepsRunGate.h"
#include "StepsSession.h"
#include "StepsStoreState.h"

#include <QPointer>

#include <exception>

namespace tavlen {

namespace {

StepsWorkflow workflowOf(const StepsDraft& draft)
{
    return StepsWorkflow{StepsDocument{draft.documentEntries()}};
}

// The errors that keep the session from being used until it is reloaded or resolved; a rejected save (invalid
// input, a busy database) does not count, and neither does none.
std::optional<MonitorStoreError> storageErrorOf(const std::optional<MonitorStoreError>& error)
{
    if (!error || error->kind() == MonitorStoreError::Kind::validation ||
        error->kind() == MonitorStoreError::Kind::busy) {
        return std::nullopt;
    }
    return error;
}

template <class T> QCoro::Task<T> resultOf(TaskHandle<T> task)
{
    auto waiting = task.result();
    co_return co_await std::move(waiting);
}

// The monitor's saved steps (none when it has none yet), or the error reading them ended with.
struct SavedStepsRead
{
    std::optional<SavedSteps> saved;
    std::exception_ptr error;
};

QCoro::Task<SavedStepsRead> readSavedSteps(StepsRepository& repository, Uuid monitorID, std::stop_token stop)
{
    SavedStepsRead read;
    try {
        auto reading = repository.savedSteps(monitorID, std::move(stop));
        read.saved = co_await std::move(reading);
    } catch (...) {
        read.error = std::current_exception();
    }
    co_return read;
}

// Waits for a load of the store, which never fails; a CancelledError means the store went away meanwhile.
QCoro::Task<void> awaitLoad(TaskHandle<void> task)
{
    try {
        auto waiting = task.result();
        co_await std::move(waiting);
    } catch (...) {
    }
}

} // namespace

StepsEditing::StepsEditing(StepsStoreState& state,
                           StepsRepository& repository,
                           const StepsRunGate& gate,
                           StepsExecutionControl& control,
                           BrowserCaptureSettings defaultCapture)
    : m_state(state)
    , m_repository(repository)
    , m_gate(gate)
    , m_control(control)
    , m_defaultCapture(defaultCapture)
{}

bool StepsEditing::isCurrent(const std::shared_ptr<StepsSession>& session, const Uuid& monitorID) const
{
    return m_state.session(monitorID) == session;
}

QCoro::Task<void> StepsEditing::loadSteps(Uuid monitorID, bool force)
{
    Q_ASSERT(isMainThread());
    if (m_state.deletingMonitors().contains(monitorID)) {
        co_return;
    }
    if (const auto running = m_state.loads.find(monitorID); running != m_state.loads.end()) {
        auto waiting = awaitLoad(running->second);
        co_await std::move(waiting);
        co_return;
    }
    std::shared_ptr<StepsSession> session = m_state.session(monitorID);
    if (session && session->draft() && !force) {
        co_return;
    }
    if (!session) {
        session = std::make_shared<StepsSession>();
    }
    m_state.setSession(monitorID, session);
    session->setIsLoading(true);
    const TaskHandle<void> load = startLoad(session, monitorID);
    if (!load.isFinished()) {
        m_state.loads.insert_or_assign(monitorID, load);
    }
    auto waiting = awaitLoad(load);
    co_await std::move(waiting);
}

TaskHandle<void> StepsEditing::startLoad(std::shared_ptr<StepsSession> session, Uuid monitorID)
{
    return TaskHandle<void>(m_state, [this, session, monitorID](std::stop_token stop) -> QCoro::Task<void> {
        const QPointer<StepsStoreState> alive(&m_state);
        if (const auto save = m_state.saves.find(monitorID); save != m_state.saves.end()) {
            auto saving = resultOf(save->second);
            try {
                co_await std::move(saving);
            } catch (...) {
            }
        }
        if (!alive) {
            co_return;
        }
        auto stopping = m_control.stopExecution(monitorID, StepsStopMode::interactive);
        co_await std::move(stopping);
        if (!alive) {
            co_return;
        }
        if (isCurrent(session, monitorID)) {
            auto reading = readSavedSteps(m_repository, monitorID, stop);
            const auto [saved, error] = co_await std::move(reading);
            if (!alive) {
                co_return;
            }
            if (isCurrent(session, monitorID)) {
                if (error) {
                    session->setError(MonitorStoreError::from(error));
                } else if (saved) {
                    session->resetToSaved(
                        StepsDraft::makeFromDocument(saved->workflow.document.steps, nullptr, m_defaultCapture),
                        saved->version);
                } else {
                    session->resetToSaved(StepsDraft::makeNew("", m_defaultCapture), std::nullopt);
                }
            }
        }
        session->setIsLoading(false);
        m_state.loads.erase(monitorID);
    });
}

QCoro::Task<void> StepsEditing::reloadSteps(Uuid monitorID)
{
    Q_ASSERT(isMainThread());
    if (const auto running = m_state.loads.find(monitorID); running != m_state.loads.end()) {
        auto waiting = awaitLoad(running->second);
        co_await std::move(waiting);
        co_return;
    }
    const std::shared_ptr<StepsSession> session = m_state.session(monitorID);
    if (!session || session->isLoading() || session->isSaving()) {
        co_return;
    }
    session->setIsLoading(true);
    const TaskHandle<void> reload = startReload(session, monitorID);
    if (!reload.isFinished()) {
        m_state.loads.insert_or_assign(monitorID, reload);
    }
    auto waiting = awaitLoad(reload);
    co_await std::move(waiting);
}

TaskHandle<void> StepsEditing::startReload(std::shared_ptr<StepsSession> session, Uuid monitorID)
{
    return TaskHandle<void>(m_state, [this, session, monitorID](std::stop_token stop) -> QCoro::Task<void> {
        const QPointer<StepsStoreState> alive(&m_state);
        auto reading = readSavedSteps(m_repository, monitorID, stop);
        const auto [saved, error] = co_await std::move(reading);
        if (!alive) {
            co_return;
        }
        if (isCurrent(session, monitorID)) {
            if (error) {
                session->setError(MonitorStoreError::from(error));
            } else {
                bool consistent = false;
                if (saved && session->attemptedSave() == saved->workflow) {
                    // The save whose outcome was in doubt did reach storage.
                    session->setVersion(saved->version);
                    session->setBaseline(saved->workflow);
                    const std::shared_ptr<StepsDraft>& draft = session->draft();
                    if (draft && workflowOf(*draft) == saved->workflow) {
                        session->setBaselineNumericInputs(draft->numericInputs());
                    } else {
                        session->setBaselineNumericInputs(
                            StepsDraft::makeFromDocument(saved->workflow.document.steps, nullptr, m_defaultCapture)
                                ->numericInputs());
                    }
                    consistent = true;
                } else if (!saved) {
                    consistent = !session->version();
                } else {
                    consistent = session->version() == saved->version && session->baseline() == saved->workflow;
                }
                if (consistent) {
                    session->setError(std::nullopt);
                    session->setNeedsReconciliation(false);
                    session->setAttemptedSave(std::nullopt);
                    m_state.advanceSavedStepsRevision();
                } else {
                    session->setError(MonitorStoreError::staleEdit());
                    session->setNeedsReconciliation(false);
                }
            }
        }
        session->setIsLoading(false);
        m_state.loads.erase(monitorID);
    });
}

QCoro::Task<bool> StepsEditing::saveSteps(Uuid monitorID, WriteOperation write)
{
    Q_ASSERT(isMainThread());
    if (m_state.deletingMonitors().contains(monitorID)) {
        co_return false;
    }
    if (const auto running = m_state.saves.find(monitorID); running != m_state.saves.end()) {
        auto waiting = resultOf(running->second);
        co_return co_await std::move(waiting);
    }
    const std::shared_ptr<StepsSession> session = m_state.session(monitorID);
    if (!session || !session->canSave() || !session->draft() || m_gate.isRunningSteps(monitorID)) {
        co_return false;
    }
    session->setShowsValidation(true);
    session->setSubmission(Uuid::random());
    const StepsDraft& draft = *session->draft();
    if (!draft.validationIssues().empty()) {
        co_return false;
    }
    StepsWorkflow workflow = workflowOf(draft);
    std::optional<std::int64_t> expectedVersion = session->version();
    std::vector<std::string> numericInputs = draft.numericInputs();
    session->setIsSaving(true);
    session->setError(std::nullopt);
    session->setAttemptedSave(workflow);
    const TaskHandle<bool> save =
        startSave(session, monitorID, std::move(write), expectedVersion, std::move(workflow), std::move(numericInputs));
    if (!save.isFinished()) {
        m_state.saves.insert_or_assign(monitorID, save);
    }
    auto waiting = resultOf(save);
    co_return co_await std::move(waiting);
}

TaskHandle<bool> StepsEditing::startSave(std::shared_ptr<StepsSession> session,
                                         Uuid monitorID,
                                         WriteOperation write,
                                         std::optional<std::int64_t> expectedVersion,
                                         StepsWorkflow workflow,
                                         std::vector<std::string> numericInputs)
{
    return TaskHandle<bool>(
        m_state,
        [this,
         session,
         monitorID,
         write = std::move(write),
         expectedVersion,
         workflow = std::move(workflow),
         numericInputs = std::move(numericInputs)](std::stop_token stop) -> QCoro::Task<bool> {
            const QPointer<StepsStoreState> alive(&m_state);
            std::optional<SavedSteps> stored;
            std::exception_ptr error;
            try {
                auto writing = write ? write(expectedVersion, workflow)
                                     : m_repository.saveSteps(monitorID, expectedVersion, workflow, stop);
                stored = co_await std::move(writing);
            } catch (...) {
                error = std::current_exception();
            }
            if (!alive) {
                co_return false;
            }
            bool saved = false;
            if (isCurrent(session, monitorID)) {
                if (stored) {
                    session->setVersion(stored->version);
                    session->setBaseline(stored->workflow);
                    session->setBaselineNumericInputs(numericInputs);
                    session->setAttemptedSave(std::nullopt);
                    session->setShowsValidation(false);
                    m_state.advanceSavedStepsRevision();
                    saved = true;
                } else {
                    const MonitorStoreError failure = MonitorStoreError::from(error);
                    session->setError(failure);
                    using Kind = MonitorStoreError::Kind;
                    session->setNeedsReconciliation(failure.kind() != Kind::validation &&
                                                    failure.kind() != Kind::staleEdit && failure.kind() != Kind::busy);
                }
            }
            session->setIsSaving(false);
            m_state.saves.erase(monitorID);
            co_return saved;
        });
}

QCoro::Task<void> StepsEditing::discardChanges(Uuid monitorID)
{
    Q_ASSERT(isMainThread());
    const QPointer<StepsStoreState> alive(&m_state);
    auto waiting = m_control.waitForMonitorTasks(monitorID, StepsStopMode::interactive);
    co_await std::move(waiting);
    if (!alive) {
        co_return;
    }
    const std::shared_ptr<StepsSession> session = m_state.session(monitorID);
    if (!session || !session->baseline()) {
        co_return;
    }
    const std::optional<MonitorStoreError> error = storageErrorOf(session->error());
    const bool needsReconciliation = session->needsReconciliation();
    const std::optional<StepsWorkflow> attemptedSave = session->attemptedSave();
    std::shared_ptr<const StepsCapture> screenshot;
    if (const std::shared_ptr<StepsDraft>& draft = session->draft(); draft && !draft->steps().empty()) {
        if (const StepsOpenPageSettings* page = draft->steps().front()->content().openPageSettings()) {
            screenshot = page->screenshot();
        }
    }
    session->resetToSaved(
        StepsDraft::makeFromDocument(session->baseline()->document.steps, screenshot, m_defaultCapture),
        session->version());
    session->setError(error);
    session->setNeedsReconciliation(needsReconciliation);
    session->setAttemptedSave(attemptedSave);
}

} // namespace tavlen
