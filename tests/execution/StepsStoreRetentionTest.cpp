#include "StepsStoreWorld.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tavlen::test {
namespace {

class StepsStoreRetentionTest : public StepsStoreWorld
{
public:
    // A finished manual check of the loaded monitor; its id.
    Uuid runCheck()
    {
        m_store.startExecution(m_monitor, StepsExecutionMode::manualCheck());
        const Uuid operationID = *state().operationID();
        settle();
        return operationID;
    }

    // The next check write of the workspace file fails (until allowWrites).
    void refuseWrites()
    {
        execute("CREATE TRIGGER refuse BEFORE INSERT ON monitor_checks BEGIN SELECT RAISE(ABORT, 'refused'); END");
    }

    void allowWrites() { execute("DROP TRIGGER refuse"); }

    int settlements = 0;
};

TEST_F(StepsStoreRetentionTest, retainMonitors_forgetsEverythingOfADroppedMonitor)
{
    loadSaved();
    refuseWrites();
    runCheck();
    ASSERT_TRUE(m_store.results().pendingResults().contains(m_monitor));
    ASSERT_TRUE(m_store.results().resultStorageErrors().contains(m_monitor));
    ASSERT_TRUE(state().latestExecutionOutcomes().contains(m_monitor));

    const Uuid other = insertMonitor("Other");
    m_repository.readDelay = std::chrono::seconds(1);
    auto loading = m_store.loadSteps(other, false);
    ASSERT_TRUE(state().loads.contains(other));

    m_store.retainMonitors({m_monitor});
    EXPECT_TRUE(state().loads.contains(other)) << "a cancelled load leaves once it ended";
    EXPECT_EQ(state().session(other), nullptr);
    run(std::move(loading));
    EXPECT_FALSE(state().loads.contains(other));
    EXPECT_EQ(state().session(other), nullptr) << "the cancelled load applied nothing";

    m_store.retainMonitors({other});
    EXPECT_EQ(state().retainedMonitorIDs(), std::set<Uuid>{other});
    EXPECT_EQ(state().session(m_monitor), nullptr);
    EXPECT_TRUE(m_store.results().pendingResults().empty());
    EXPECT_TRUE(m_store.results().resultStorageErrors().empty());
    EXPECT_TRUE(state().latestExecutionOutcomes().empty());
    EXPECT_TRUE(state().latestExecutionIDs().empty());
    EXPECT_TRUE(state().latestExecutionCompletedAtMilliseconds().empty());
}

TEST_F(StepsStoreRetentionTest, saveOfADroppedMonitor_reportsFalse)
{
    const auto session = loadSaved();
    pageSettings(session).setUrl("https://b.test/");
    auto saving = m_store.saveSteps(m_monitor, {});
    m_store.retainMonitors({});
    EXPECT_FALSE(run(std::move(saving)));
    EXPECT_FALSE(session->isSaving());
    EXPECT_TRUE(state().saves.empty());
}

TEST_F(StepsStoreRetentionTest, retainMonitors_cancelsNothingWhileAResultIsBeingWritten)
{
    const auto session = loadSaved();
    m_store.startExecution(m_monitor, StepsExecutionMode::testStep(step(session, 1)->id()));
    advanceUntil([&] { return !m_reader.calls.empty(); });
    // A result write of another monitor: the store stays busy and a running execution cannot be cancelled.
    const Uuid other = insertMonitor("Other");
    auto writing = m_store.results().recordResult(
        {MonitorCheck{Uuid::random(), other, 1, 2, std::nullopt, 0, MonitorCheckUsage{}}, {}});
    ASSERT_FALSE(m_store.results().storingResults().empty());
    m_store.retainMonitors({other});
    EXPECT_EQ(state().cancellingMonitorID(), std::nullopt);
    run(std::move(writing));
    settle();
}

TEST_F(StepsStoreRetentionTest, deleteCheck_forgetsTheLatestExecutionOnlyWhenItNamesThatCheck)
{
    m_store.setOnExecutionSettled([this] { ++settlements; });
    loadSaved();
    const Uuid older = runCheck();
    const Uuid latest = runCheck();
    settlements = 0;

    run(m_store.deleteCheck(m_monitor, older));
    EXPECT_EQ(state().latestExecutionIDs().at(m_monitor), latest);
    run(m_store.deleteCheck(m_monitor, latest));
    EXPECT_FALSE(state().latestExecutionIDs().contains(m_monitor));
    EXPECT_FALSE(state().latestExecutionOutcomes().contains(m_monitor));
    EXPECT_FALSE(state().latestExecutionCompletedAtMilliseconds().contains(m_monitor));
    EXPECT_EQ(settlements, 0) << "neither was an unstored result";
    EXPECT_EQ(count("monitor_checks"), 0);
}

TEST_F(StepsStoreRetentionTest, deletingAnUnstoredResult_clearsItAndAsksForASchedulerPass)
{
    m_store.setOnExecutionSettled([this] { ++settlements; });
    loadSaved();
    refuseWrites();
    const Uuid check = runCheck();
    ASSERT_TRUE(m_store.results().pendingResults().contains(m_monitor));
    settlements = 0;
    run(m_store.deleteCheck(m_monitor, check));
    EXPECT_TRUE(m_store.results().pendingResults().empty());
    EXPECT_TRUE(m_store.results().resultStorageErrors().empty());
    EXPECT_EQ(settlements, 1);
}

TEST_F(StepsStoreRetentionTest, deleteCheck_failureLeavesTheLatestExecution)
{
    loadSaved();
    const Uuid check = runCheck();
    execute("DELETE FROM monitors WHERE id = '" + m_monitor.lowercaseString() + "'");
    try {
        run(m_store.deleteCheck(m_monitor, check));
        ADD_FAILURE() << "the deletion succeeded";
    } catch (const MonitorStoreError& error) {
        EXPECT_EQ(error, MonitorStoreError::missingMonitor());
    }
    EXPECT_EQ(state().latestExecutionIDs().at(m_monitor), check);
}

TEST_F(StepsStoreRetentionTest, retryStoringResult_waitsForAnIdleStoreThenStoresOnce)
{
    m_store.setOnExecutionSettled([this] { ++settlements; });
    loadSaved();
    refuseWrites();
    const Uuid check = runCheck();
    allowWrites();
    settlements = 0;

    // Another monitor's check runs: the retry does nothing.
    const Uuid other = insertMonitor("Other");
    loadSaved(other);
    m_reader.hold = true;
    m_store.startExecution(other, StepsExecutionMode::manualCheck());
    advanceUntil([&] { return !m_reader.calls.empty(); });
    run(m_store.retryStoringResult(m_monitor));
    EXPECT_TRUE(m_store.results().pendingResults().contains(m_monitor));
    EXPECT_EQ(settlements, 0);
    m_store.cancelExecution(other);
    settle();
    settlements = 0;

    m_store.setIsNavigating(true);
    run(m_store.retryStoringResult(m_monitor));
    EXPECT_TRUE(m_store.results().pendingResults().contains(m_monitor));
    m_store.setIsNavigating(false);

    run(m_store.retryStoringResult(m_monitor));
    EXPECT_TRUE(m_store.results().pendingResults().empty());
    EXPECT_EQ(settlements, 1);
    EXPECT_EQ(finish(m_store.loadChecks(m_monitor, std::nullopt, 51)).front().id, check);
}

TEST_F(StepsStoreRetentionTest, cancelReadingForProvider_cancelsOnlyAReadOfThatProvider)
{
    const auto session = loadSaved();
    m_browser.holdStart = true;
    m_store.startExecution(m_monitor, StepsExecutionMode::manualCheck());
    advanceUntil([&] { return !m_browser.calls.empty(); });
    m_store.cancelReadingForProvider(ModelSelection::Provider::openAI);
    EXPECT_EQ(state().cancellingMonitorID(), std::nullopt) << "an Open page step runs";
    m_browser.holdStart = false;
    m_store.cancelExecution(m_monitor);
    settle();

    m_reader.hold = true;
    m_store.startExecution(m_monitor, StepsExecutionMode::manualCheck());
    advanceUntil([&] { return m_reader.calls.size() == 1; });
    m_store.cancelReadingForProvider(ModelSelection::Provider::anthropic);
    EXPECT_EQ(state().cancellingMonitorID(), std::nullopt);
    m_store.cancelReadingForProvider(ModelSelection::Provider::openAI);
    EXPECT_EQ(state().cancellingMonitorID(), m_monitor);
    settle();
    EXPECT_EQ(state().latestExecutionOutcomes().at(m_monitor), MonitorCheckOutcome::cancelled);
}

TEST_F(StepsStoreRetentionTest, chartsAndHistory_readThroughTheCheckStore)
{
    loadSaved();
    m_time.setDate(Date::fromMilliseconds(50'000));
    const Uuid check = runCheck();
    const ChartSnapshot whole = finish(m_store.loadSnapshot(m_monitor, ChartRange{std::nullopt, 60'000}));
    const ChartSnapshot window = finish(m_store.loadSnapshot(m_monitor, ChartRange{55'000, 60'000}));
    EXPECT_NE(whole, window);
    EXPECT_EQ(finish(m_store.loadReadings(check)).size(), 1u);
    try {
        finish(m_store.loadSnapshot(m_monitor, ChartRange{60'000, 60'000}));
        ADD_FAILURE() << "an empty range was read";
    } catch (const MonitorStoreError& error) {
        EXPECT_EQ(error.kind(), MonitorStoreError::Kind::validation);
    }
}

} // namespace
} // namespace tavlen::test
