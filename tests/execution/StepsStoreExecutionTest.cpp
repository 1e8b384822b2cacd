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

    int settlements = 0;
};

TEST_F(StepsStoreExecutionTest, manualCheck_storesExactlyOneRecordAndSettles)
{
    m_store.setOnExecutionSettled([this] { ++settlements; });
    const auto session = loadSaved();
    m_clock.set(Date::fromMilliseconds(5000));
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

} // namespace
} // namespace tavlen::test
