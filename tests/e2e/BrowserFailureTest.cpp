#include "BoundedWait.h"
#include "EndToEndTest.h"

#include <gtest/gtest.h>

namespace tavlen::test {
namespace {

using namespace std::chrono_literals;

constexpr std::string_view chromeDisconnected = "Chrome disconnected. Start a new session after reconnecting.";

TEST_F(EndToEndTest, pageThatNeverFinishesLoading_failsWhenChromesAnswerIsOverdue)
{
    useSteps(m_pages.url("/never.html"), {1280, 800, 1, false}, BrowserRect{0, 0, 200, 50});
    const auto started = Clock::now();
    const StepsExecutionResult result = run(StepsExecutionMode::manualCheck());
    ASSERT_TRUE(result.failure.has_value());
    EXPECT_EQ(result.failure->message(), chromeDisconnected);
    EXPECT_EQ(client().state().connectionError(), "Browser response timed out. The session was interrupted.");
    EXPECT_GE(Clock::now() - started, 35s) << "the command's deadline";
    EXPECT_GT(m_pages.hangingRequests(), 0u);

    const MonitorCheckRecord stored = record(result, started);
    EXPECT_TRUE(finish(m_checks.loadCheckRecord(stored.check.id)).empty());
    EXPECT_TRUE(m_model.requests().empty());
    // The extension closes the tab with the dropped connection and connects again.
    EXPECT_FALSE(waitForProfile().empty()) << m_chromium->extensionLog();
}

TEST_F(EndToEndTest, chromiumKilledMidCheck_failsTheCheckAndWritesNothingHalfDone)
{
    useSteps(m_pages.url("/never.html"), {1280, 800, 1, false}, BrowserRect{0, 0, 200, 50});
    const auto started = Clock::now();
    auto checking = start(StepsExecutionMode::manualCheck());
    ASSERT_TRUE(waitUntil([&] { return m_pages.hangingRequests() > 0; }, connectBound)) << "the page never loaded";

    ASSERT_TRUE(m_chromium->stop()) << "Chromium left processes behind";
    const StepsExecutionResult result = waitBounded(std::move(checking), checkBound);
    ASSERT_TRUE(result.failure.has_value());
    EXPECT_EQ(result.failure->message(), chromeDisconnected);
    EXPECT_TRUE(result.readings.empty());
    EXPECT_TRUE(waitUntil([&] { return client().state().profiles().empty(); })) << "the host's connection stayed";

    const MonitorCheckRecord stored = record(result, started);
    EXPECT_TRUE(m_checks.pendingResults().empty());
    const std::vector<MonitorCheck> history = finish(m_checks.loadHistoryPage(m_monitor, std::nullopt, 10));
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].failure, result.failure);
    EXPECT_EQ(history[0].readingCount, 0);
    EXPECT_TRUE(finish(m_checks.loadCheckRecord(stored.check.id)).empty());
    EXPECT_TRUE(m_model.requests().empty());
}

TEST_F(EndToEndTest, stopWhileChromeIsConnected_endsWithinItsBound)
{
    useSteps(m_pages.url("/never.html"), {1280, 800, 1, false}, BrowserRect{0, 0, 200, 50});
    auto checking = start(StepsExecutionMode::manualCheck());
    ASSERT_TRUE(waitUntil([&] { return m_pages.hangingRequests() > 0; }, connectBound)) << "the page never loaded";

    const auto stopping = Clock::now();
    waitBounded(client().stop(), 30s);
    const auto stopped = Clock::now() - stopping;
    // Two seconds for Chrome to confirm the cancel, then the watchdog tears the bridge down; some slack for the
    // event loop of a busy machine.
    EXPECT_LT(stopped, 4s);
    const StepsExecutionResult result = waitBounded(std::move(checking), checkBound);
    ASSERT_TRUE(result.failure.has_value());
    EXPECT_TRUE(result.readings.empty());
}

} // namespace
} // namespace tavlen::test
