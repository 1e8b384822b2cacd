#include "ExecutionText.h"
#include "MonitorCheckError.h"
#include "StepsStoreWorld.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tavlen::test {
namespace {

class StepsStoreExecutionTest : public StepsStoreWorld
{
public:
    std::vector<MonitorCheck> storedChecks(std::optional<Uuid> monitorID = std::nullopt)
    {
        return finish(m_store.loadChecks(monitorID.value_or(m_monitor), std::nullopt, 51));
    }

    // Starts a manual check of the loaded monitor and waits until its Read step asks the model, which holds.
    void startHeldCheck()
    {
        m_reader.hold = true;
        m_store.startExecution(m_monitor, StepsExecutionMode::manualCheck());
        ASSERT_TRUE(state().operationID().has_value());
        advanceUntil([&] { return !m_reader.calls.empty(); });
    }

    QueuedCheck queued() const { return QueuedCheck{Uuid::random(), m_monitor, 1, 1000}; }

    // A claim that answers after a moment, as the database does.
    ScheduledCheckRunner::Claim answers(bool claimed)
    {
        return [this, claimed]() -> QCoro::Task<bool> {
            auto waiting = sleepFor(std::chrono::milliseconds(10), {}, m_time);
            co_await std::move(waiting);
            co_return claimed;
        };
    }

    int settlements = 0;
    std::vector<std::string> claimFailures;
};

TEST_F(StepsStoreExecutionTest, manualCheck_storesExactlyOneRecordAndSettles)
{
    m_store.setOnExecutionSettled([this] { ++settlements; });
    const auto session = loadSaved();
    m_time.setDate(Date::fromMilliseconds(5000));
    m_store.startExecution(m_monitor, StepsExecutionMode::manualCheck());
    ASSERT_TRUE(state().operationID().has_value());
    const Uuid operationID = *state().operationID();
    EXPECT_EQ(state().activeOrigin(), StepsExecutionOrigin::monitor);
    EXPECT_TRUE(m_store.isRunningSteps(m_monitor));
    EXPECT_EQ(m_store.unavailableReason(m_monitor), std::string(execution_text::executionInProgress));
    settle();

    EXPECT_EQ(state().operationID(), std::nullopt);
    EXPECT_EQ(state().activeMonitorID(), std::nullopt);
    EXPECT_EQ(state().activeDraft(), nullptr);
    EXPECT_EQ(settlements, 1);
    EXPECT_EQ(session->draft()->onEdit(), nullptr);
    const std::vector<MonitorCheck> checks = storedChecks();
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].id, operationID);
    EXPECT_EQ(checks[0].failure, std::nullopt);
    EXPECT_EQ(checks[0].readingCount, 1);
    EXPECT_EQ(checks[0].startedAtMilliseconds, 5000);
    EXPECT_EQ(state().latestExecutionIDs().at(m_monitor), operationID);
    EXPECT_EQ(state().latestExecutionOutcomes().at(m_monitor), MonitorCheckOutcome::succeeded);
    EXPECT_EQ(finish(m_store.loadReadings(operationID)).size(), 1u);
    EXPECT_EQ(m_reader.calls.size(), 1u);
}

TEST_F(StepsStoreExecutionTest, stepTest_storesNothingButRecordsTheLatestOutcome)
{
    const auto session = loadSaved();
    m_store.startExecution(m_monitor, StepsExecutionMode::testStep(step(session, 1)->id()));
    EXPECT_EQ(state().activeOrigin(), StepsExecutionOrigin::step);
    settle();
    EXPECT_TRUE(storedChecks().empty());
    EXPECT_EQ(state().latestExecutionOutcomes().at(m_monitor), MonitorCheckOutcome::succeeded);
    EXPECT_EQ(step(session, 1)->execution().kind(), StepsExecutionState::Kind::succeeded);
}

TEST_F(StepsStoreExecutionTest, manualCheck_ofStepsChangedInStorage_storesAStaleEditFailure)
{
    const auto session = loadSaved();
    store(document({{numberField("Stock")}}), 1); // another writer; the editor still shows version 1
    m_store.startExecution(m_monitor, StepsExecutionMode::manualCheck());
    settle();

    const std::vector<MonitorCheck> checks = storedChecks();
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].failure,
              MonitorCheckFailure("execution_failed", MonitorStoreError::staleEdit().errorDescription()));
    EXPECT_EQ(checks[0].readingCount, 0);
    EXPECT_EQ(checks[0].usage, MonitorCheckUsage{});
    EXPECT_TRUE(m_browser.calls.empty()) << "no step ran";
    EXPECT_EQ(state().latestExecutionOutcomes().at(m_monitor), MonitorCheckOutcome::failed);
}

TEST_F(StepsStoreExecutionTest, manualCheck_ofAModelNoLongerConfigured_storesTheRepositorysSentence)
{
    loadSaved();
    execute("UPDATE app_settings SET default_model_id = NULL; DELETE FROM configured_models");
    m_store.startExecution(m_monitor, StepsExecutionMode::manualCheck());
    settle();
    const std::vector<MonitorCheck> checks = storedChecks();
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].failure,
              MonitorCheckFailure("execution_failed", "This model is no longer configured. Select another model."));
}

TEST_F(StepsStoreExecutionTest, editingDuringAManualCheck_cancelsItAndStoresTheCancellation)
{
    m_store.setOnExecutionSettled([this] { ++settlements; });
    const auto session = loadSaved();
    startHeldCheck();
    EXPECT_EQ(state().activeDraft(), session->draft());
    readSettings(session).setTimeoutText("30");
    EXPECT_EQ(state().cancellingMonitorID(), m_monitor);
    settle();

    const std::vector<MonitorCheck> checks = storedChecks();
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].failure->code(), "cancelled");
    EXPECT_EQ(state().latestExecutionOutcomes().at(m_monitor), MonitorCheckOutcome::cancelled);
    EXPECT_EQ(state().cancellingMonitorID(), std::nullopt);
    EXPECT_EQ(settlements, 1);
    for (const auto& each : session->draft()->steps()) {
        EXPECT_NE(each->execution().kind(), StepsExecutionState::Kind::running);
    }
    EXPECT_EQ(pageSettings(session).phase(), std::nullopt);
}

TEST_F(StepsStoreExecutionTest, monitorDroppedWhileItsCheckRuns_recordsNothingButSettles)
{
    m_store.setOnExecutionSettled([this] { ++settlements; });
    loadSaved();
    startHeldCheck();
    m_store.retainMonitors({});
    settle();

    EXPECT_EQ(state().operationID(), std::nullopt);
    EXPECT_EQ(settlements, 1);
    EXPECT_TRUE(state().latestExecutionOutcomes().empty());
    EXPECT_TRUE(state().latestExecutionIDs().empty());
    EXPECT_TRUE(m_store.results().pendingResults().empty());
    EXPECT_EQ(count("monitor_checks"), 0);
}

TEST_F(StepsStoreExecutionTest, deletingAMonitorWhileItsCheckRuns_waitsForTheCheckAndRefusesNewWork)
{
    const auto session = loadSaved();
    startHeldCheck();
    run(m_store.beginDeletingMonitor(m_monitor));
    EXPECT_EQ(state().operationID(), std::nullopt) << "the check was cancelled and awaited";
    EXPECT_EQ(m_store.unavailableReason(m_monitor), std::string(execution_text::monitorBeingDeleted));
    EXPECT_FALSE(m_store.canRunScheduledCheck(m_monitor));
    pageSettings(session).setUrl("https://b.test/");
    EXPECT_FALSE(save());
    EXPECT_FALSE(session->isSaving());

    execute("DELETE FROM monitors WHERE id = '" + m_monitor.lowercaseString() + "'");
    m_store.retainMonitors({});
    m_store.endDeletingMonitor(m_monitor);
    EXPECT_TRUE(state().deletingMonitors().empty());
    EXPECT_EQ(state().session(m_monitor), nullptr);
    run(m_store.loadSteps(m_monitor, false));
    EXPECT_EQ(state().session(m_monitor)->error(), MonitorStoreError::missingMonitor());
}

TEST_F(StepsStoreExecutionTest, scheduledCheck_whoseClaimLosesTheRace_leavesNoTraceButTheSettlement)
{
    m_store.setOnExecutionSettled([this] { ++settlements; });
    loadSaved();
    ASSERT_TRUE(m_store.startScheduledCheck(
        queued(), answers(false), [this](std::exception_ptr) { claimFailures.push_back("called"); }));
    EXPECT_TRUE(m_store.isBusy());
    EXPECT_FALSE(m_store.canStartScheduledCheck()) << "no second check in the same pass";
    settle();
    EXPECT_EQ(settlements, 1);
    EXPECT_TRUE(claimFailures.empty());
    EXPECT_TRUE(state().latestExecutionOutcomes().empty());
    EXPECT_EQ(count("monitor_checks"), 0);
    EXPECT_EQ(m_repository.savedExecutionReads, 0);

    // Refused at once: the execution settles before the start returns.
    const auto failing = []() -> QCoro::Task<bool> {
        throw MonitorStoreError::busy();
        co_return true;
    };
    ASSERT_TRUE(m_store.startScheduledCheck(queued(), failing, [this](std::exception_ptr error) {
        claimFailures.push_back(MonitorStoreError::from(error).what());
    }));
    EXPECT_FALSE(state().operation.has_value());
    EXPECT_FALSE(m_store.isBusy());
    EXPECT_EQ(claimFailures, std::vector<std::string>{MonitorStoreError::busy().what()});
    EXPECT_EQ(settlements, 2);
    EXPECT_EQ(count("monitor_checks"), 0);
}

TEST_F(StepsStoreExecutionTest, scheduledCheck_runsTheSavedStepsWithoutLockingTheEditor)
{
    const auto session = loadSaved();
    pageSettings(session).setUrl("https://unsaved.test/"); // the editor's draft is not what runs
    m_reader.hold = true;
    m_reader.answersAfter = std::chrono::seconds(2);
    const QueuedCheck check = queued();
    ASSERT_TRUE(m_store.startScheduledCheck(check, answers(true), {}));
    advanceUntil([&] { return !m_reader.calls.empty(); });
    EXPECT_FALSE(m_store.isRunningSteps(m_monitor));
    EXPECT_TRUE(m_store.isBusy());
    EXPECT_TRUE(m_store.executionProgress(m_monitor).has_value());
    EXPECT_NE(state().activeDraft(), session->draft());
    EXPECT_EQ(m_browser.calls.front(), "start https://a.test/");

    // A forced load of the monitor leaves the scheduled check running.
    run(m_store.loadSteps(m_monitor, true));
    EXPECT_EQ(state().operationID(), check.id);

    settle();
    const std::vector<MonitorCheck> checks = storedChecks();
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].id, check.id);
    EXPECT_EQ(checks[0].failure, std::nullopt);
}

TEST_F(StepsStoreExecutionTest, waitingForAMonitorAsADiscardDoes_leavesItsScheduledCheckRunning)
{
    loadSaved();
    m_reader.hold = true;
    const QueuedCheck check = queued();
    ASSERT_TRUE(m_store.startScheduledCheck(check, answers(true), {}));
    advanceUntil([&] { return !m_reader.calls.empty(); });
    run(m_store.waitForMonitorTasks(m_monitor));
    EXPECT_EQ(state().operationID(), check.id);
    run(m_store.waitForMonitorTasks(m_monitor, StepsStopMode::all));
    EXPECT_EQ(state().operationID(), std::nullopt);
    EXPECT_EQ(storedChecks().front().failure->code(), "cancelled");
}

TEST_F(StepsStoreExecutionTest, scheduledCheck_withoutSavedSteps_storesAFailureUnderTheQueuedID)
{
    const QueuedCheck check = queued();
    ASSERT_TRUE(m_store.startScheduledCheck(check, answers(true), {}));
    settle();
    const std::vector<MonitorCheck> checks = storedChecks();
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].id, check.id);
    EXPECT_EQ(checks[0].failure, MonitorCheckFailure("execution_failed", execution_text::saveStepsForSchedule));
    EXPECT_EQ(state().latestExecutionIDs().at(m_monitor), check.id);
}

TEST_F(StepsStoreExecutionTest, scheduledCheck_cancelledWhileClaiming_stillConsumesTheClaimAndStoresACancellation)
{
    loadSaved();
    bool claimed = false;
    const ScheduledCheckRunner::Claim slowClaim = [this, &claimed]() -> QCoro::Task<bool> {
        auto waiting = sleepFor(std::chrono::seconds(1), {}, m_time);
        co_await std::move(waiting);
        claimed = true;
        co_return true;
    };
    const QueuedCheck check = queued();
    ASSERT_TRUE(m_store.startScheduledCheck(check, slowClaim, {}));
    m_store.cancelExecution(m_monitor);
    settle();
    EXPECT_TRUE(claimed);
    const std::vector<MonitorCheck> checks = storedChecks();
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].id, check.id);
    EXPECT_EQ(checks[0].failure, MonitorCheckFailure("cancelled", "Execution cancelled."));
    EXPECT_TRUE(m_browser.calls.empty());
}

TEST_F(StepsStoreExecutionTest, scheduledCheck_isRefusedForAMonitorTheWorkspaceDropped)
{
    loadSaved();
    m_store.retainMonitors({Uuid::random()});
    bool called = false;
    const ScheduledCheckRunner::Claim claim = [&called]() -> QCoro::Task<bool> {
        called = true;
        co_return true;
    };
    EXPECT_FALSE(m_store.startScheduledCheck(queued(), claim, [&called](std::exception_ptr) { called = true; }));
    EXPECT_EQ(state().operationID(), std::nullopt);
    EXPECT_FALSE(called);
}

TEST_F(StepsStoreExecutionTest, canStartScheduledCheck_waitsForAnIdleChromeAndAnIdleStore)
{
    EXPECT_TRUE(m_store.canStartScheduledCheck());
    m_browser.idle = false;
    EXPECT_FALSE(m_store.canStartScheduledCheck());
    m_browser.idle = true;
    m_browser.connected = false;
    EXPECT_FALSE(m_store.canStartScheduledCheck()) << "the capture service's reason";
    m_browser.connected = true;
    m_store.setIsNavigating(true);
    EXPECT_FALSE(m_store.canStartScheduledCheck());
    m_store.setIsNavigating(false);
    EXPECT_TRUE(m_store.canRunScheduledCheck(m_monitor));
}

TEST_F(StepsStoreExecutionTest, forcedLoadDuringAStepTest_cancelsTheTestFirst)
{
    const auto session = loadSaved();
    m_reader.hold = true;
    m_store.startExecution(m_monitor, StepsExecutionMode::testStep(step(session, 1)->id()));
    advanceUntil([&] { return !m_reader.calls.empty(); });
    const auto oldDraft = session->draft();
    run(m_store.loadSteps(m_monitor, true));
    EXPECT_EQ(state().operationID(), std::nullopt);
    EXPECT_NE(session->draft(), oldDraft);
    EXPECT_EQ(state().latestExecutionOutcomes().at(m_monitor), MonitorCheckOutcome::cancelled);
    EXPECT_EQ(count("monitor_checks"), 0);
}

TEST_F(StepsStoreExecutionTest, completionTime_neverPrecedesTheStartWhenTheClockGoesBack)
{
    loadSaved();
    m_time.setDate(Date::fromMilliseconds(10'000));
    m_reader.duringRead = [this] { m_time.setDate(Date::fromMilliseconds(4'000)); };
    m_store.startExecution(m_monitor, StepsExecutionMode::manualCheck());
    settle();
    const std::vector<MonitorCheck> checks = storedChecks();
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].startedAtMilliseconds, 10'000);
    EXPECT_EQ(checks[0].completedAtMilliseconds, 10'000);
    EXPECT_EQ(state().latestExecutionCompletedAtMilliseconds().at(m_monitor), 10'000);
}

} // namespace
} // namespace tavlen::test
