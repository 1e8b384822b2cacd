#pragma once

#include "CallGate.h"
#include "CancelledError.h"
#include "Completion.h"
#include "StepsDraft.h"
#include "StepsRepository.h"
#include "TaskHandle.h"
#include "WorkspaceStepsStore.h"

#include <QCoroTask>

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace tavlen::test {

// A steps store that keeps its sessions as the real one does, over the real steps repository of the test's
// workspace file: loads, saves through the given write (or the repository), reconciles and discards. A running
// step test or manual check is played by runCheck: it runs until cancelled, then waits at checkEndGate before it
// ends, so a test sees whether a caller awaited its end. Every call is written to events.
class StandInStepsStore final : public WorkspaceStepsStore
{
public:
    explicit StandInStepsStore(StepsRepository& repository)
        : m_repository(repository)
    {}

    std::shared_ptr<StepsSession> session(const Uuid& monitorID) const override
    {
        const auto found = sessions.find(monitorID);
        return found == sessions.end() ? nullptr : found->second;
    }

    std::vector<Uuid> sessionMonitorIDs() const override
    {
        std::vector<Uuid> ids;
        for (const auto& entry : sessions) {
            ids.push_back(entry.first);
        }
        return ids;
    }

    bool isNavigating() const override { return navigating; }

    void setIsNavigating(bool isNavigating) override
    {
        if (navigating != isNavigating) {
            events.push_back(isNavigating ? "navigating" : "not navigating");
        }
        navigating = isNavigating;
    }

    bool isRunningSteps(const Uuid& monitorID) const override
    {
        return m_check && !m_check->isFinished() && m_checkMonitor == monitorID;
    }

    void setMonitorCheckUnavailableReason(UnavailableReason) override {}

    void retainMonitors(const std::set<Uuid>& monitorIDs) override
    {
        std::erase_if(sessions, [&monitorIDs](const auto& entry) { return !monitorIDs.contains(entry.first); });
    }

    QCoro::Task<void> loadSteps(Uuid monitorID, bool replace) override
    {
        events.push_back("load");
        std::shared_ptr<StepsSession> loaded = session(monitorID);
        if (loaded && loaded->draft() && !replace) {
            co_return;
        }
        if (!loaded) {
            loaded = std::make_shared<StepsSession>();
            sessions[monitorID] = loaded;
        }
        loaded->setIsLoading(true);
        try {
            auto reading = m_repository.savedSteps(monitorID);
            const std::optional<SavedSteps> saved = co_await std::move(reading);
            if (saved) {
                loaded->resetToSaved(StepsDraft::makeFromDocument(saved->workflow.document.steps, nullptr, capture),
                                     saved->version);
            } else {
                loaded->resetToSaved(StepsDraft::makeNew("", capture), std::nullopt);
            }
        } catch (...) {
            loaded->setError(MonitorStoreError::from(std::current_exception()));
        }
        loaded->setIsLoading(false);
    }

    QCoro::Task<void> reloadSteps(Uuid monitorID) override
    {
        events.push_back("reload");
        const std::shared_ptr<StepsSession> reloaded = session(monitorID);
        if (!reloaded) {
            co_return;
        }
        reloaded->setIsLoading(true);
        try {
            auto reading = m_repository.savedSteps(monitorID);
            const std::optional<SavedSteps> saved = co_await std::move(reading);
            const std::optional<StepsWorkflow> stored =
                saved ? std::optional(saved->workflow) : std::optional<StepsWorkflow>();
            if (stored && stored == reloaded->attemptedSave()) {
                reloaded->setVersion(saved->version);
                reloaded->setBaseline(stored);
                reloaded->setError(std::nullopt);
                reloaded->setAttemptedSave(std::nullopt);
            } else if (stored == reloaded->baseline() &&
                       (saved ? std::optional(saved->version) : std::nullopt) == reloaded->version()) {
                reloaded->setError(std::nullopt);
            } else {
                reloaded->setError(MonitorStoreError::staleEdit());
            }
            reloaded->setNeedsReconciliation(false);
        } catch (...) {
            reloaded->setError(MonitorStoreError::from(std::current_exception()));
        }
        reloaded->setIsLoading(false);
    }

    QCoro::Task<bool> saveSteps(Uuid monitorID, StepsWrite write) override
    {
        events.push_back("save steps");
        const std::shared_ptr<StepsSession> saving = session(monitorID);
        if (deleting.contains(monitorID) || !saving || !saving->canSave() || isRunningSteps(monitorID)) {
            co_return false;
        }
        saving->setShowsValidation(true);
        saving->setSubmission(Uuid::random());
        if (!saving->draft()->validationIssues().empty()) {
            co_return false;
        }
        const StepsWorkflow workflow{StepsDocument{saving->draft()->documentEntries()}};
        const std::vector<std::string> numericInputs = saving->draft()->numericInputs();
        saving->setIsSaving(true);
        saving->setError(std::nullopt);
        saving->setAttemptedSave(workflow);
        bool saved = false;
        try {
            SavedSteps stored;
            if (write) {
                auto writing = write(saving->version(), workflow);
                stored = co_await std::move(writing);
            } else {
                auto writing = m_repository.saveSteps(monitorID, saving->version(), workflow);
                stored = co_await std::move(writing);
            }
            saving->setVersion(stored.version);
            saving->setBaseline(stored.workflow);
            saving->setBaselineNumericInputs(numericInputs);
            saving->setAttemptedSave(std::nullopt);
            saving->setShowsValidation(false);
            saved = true;
        } catch (...) {
            const MonitorStoreError error = MonitorStoreError::from(std::current_exception());
            using Kind = MonitorStoreError::Kind;
            saving->setError(error);
            saving->setNeedsReconciliation(error.kind() != Kind::validation && error.kind() != Kind::staleEdit &&
                                           error.kind() != Kind::busy);
        }
        saving->setIsSaving(false);
        co_return saved;
    }

    QCoro::Task<void> discardChanges(Uuid monitorID) override
    {
        auto settling = stopCheck(monitorID);
        co_await std::move(settling);
        events.push_back("discard steps");
        const std::shared_ptr<StepsSession> discarded = session(monitorID);
        if (!discarded || !discarded->baseline()) {
            co_return;
        }
        const std::optional<MonitorStoreError> error = discarded->error();
        const bool needsReconciliation = discarded->needsReconciliation();
        const std::optional<StepsWorkflow> attempted = discarded->attemptedSave();
        discarded->resetToSaved(StepsDraft::makeFromDocument(discarded->baseline()->document.steps, nullptr, capture),
                                discarded->version());
        using Kind = MonitorStoreError::Kind;
        if (error && error->kind() != Kind::validation && error->kind() != Kind::busy) {
            discarded->setError(error);
        }
        discarded->setNeedsReconciliation(needsReconciliation);
        discarded->setAttemptedSave(attempted);
    }

    QCoro::Task<void> waitForMonitorTasks(Uuid monitorID) override
    {
        events.push_back("settle");
        auto settling = stopCheck(monitorID);
        co_await std::move(settling);
    }

    QCoro::Task<void> waitUntilIdle(bool forTermination) override
    {
        events.push_back(forTermination ? "idle for termination" : "idle");
        if (forTermination && m_check) {
            auto settling = stopCheck(m_checkMonitor);
            co_await std::move(settling);
        }
    }

    QCoro::Task<void> beginDeletingMonitor(Uuid monitorID) override
    {
        events.push_back("begin deleting");
        deleting.insert(monitorID);
        auto settling = stopCheck(monitorID);
        co_await std::move(settling);
    }

    void endDeletingMonitor(const Uuid& monitorID) override
    {
        events.push_back("end deleting");
        deleting.erase(monitorID);
    }

    // Starts a step test or manual check of the monitor that runs until it is cancelled.
    void runCheck(const Uuid& monitorID)
    {
        m_checkMonitor = monitorID;
        m_check.emplace([this, never = Completion<void>()](std::stop_token stop) -> QCoro::Task<void> {
            try {
                auto running = never.wait(stop);
                co_await std::move(running);
            } catch (const CancelledError&) {
                events.push_back("check cancelled");
            }
            auto ending = checkEndGate.pass();
            co_await std::move(ending);
            events.push_back("check ended");
        });
    }

    std::map<Uuid, std::shared_ptr<StepsSession>> sessions;
    std::set<Uuid> deleting;
    bool navigating = false;
    std::vector<std::string> events;
    CallGate checkEndGate;
    BrowserCaptureSettings capture{1280, 900, 2, false};

private:
    QCoro::Task<void> stopCheck(Uuid monitorID)
    {
        if (!m_check || m_checkMonitor != monitorID) {
            co_return;
        }
        const TaskHandle<void> check = *m_check;
        check.cancel();
        try {
            auto ending = check.result();
            co_await std::move(ending);
        } catch (...) {
        }
    }

    StepsRepository& m_repository;
    std::optional<TaskHandle<void>> m_check;
    Uuid m_checkMonitor;
};

} // namespace tavlen::test
