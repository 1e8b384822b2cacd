#include "BoundedWait.h"
#include "EndToEndTest.h"

#include <gtest/gtest.h>

namespace tavlen::test {
namespace {

using namespace std::chrono_literals;

constexpr std::string_view chromeDisconnected = "Chrome disconnected. Start a new session after reconnecting.";
constexpr BrowserRect anyRegion{0, 0, 200, 50};

class BrowserFailureTest : public EndToEndTest
{
protected:
    // The monitor's one stored check failed with the message; no readings were written and no model asked.
    void expectOneFailedCheck(std::string_view message)
    {
        const std::vector<MonitorCheck> checks = storedChecks();
        ASSERT_EQ(checks.size(), 1u);
        ASSERT_TRUE(checks[0].failure.has_value());
        EXPECT_EQ(checks[0].failure->message(), message);
        EXPECT_EQ(checks[0].readingCount, 0);
        EXPECT_TRUE(finish(m_store->loadReadings(checks[0].id)).empty());
        EXPECT_TRUE(m_store->results().pendingResults().empty());
        EXPECT_EQ(m_store->state().latestExecutionOutcomes().at(m_monitor), MonitorCheckOutcome::failed);
        EXPECT_TRUE(m_model.requests().empty());
    }
};

TEST_F(BrowserFailureTest, pageThatNeverFinishesLoading_failsWhenChromesAnswerIsOverdue)
{
    saveSteps(m_pages.url("/never.html"), {1280, 800, 1, false}, anyRegion);
    const auto started = Clock::now();
    startThroughStore(StepsExecutionMode::manualCheck());
    settle();
    EXPECT_GE(Clock::now() - started, 35s) << "the command's deadline";
    EXPECT_GT(m_pages.hangingRequests(), 0u);
    expectOneFailedCheck(chromeDisconnected);
    EXPECT_EQ(client().state().connectionError(), "Browser response timed out. The session was interrupted.");
    // The extension closes the tab with the dropped connection and connects again.
    EXPECT_FALSE(waitForProfile().empty()) << m_chromium->extensionLog();
}

TEST_F(BrowserFailureTest, chromiumKilledMidCheck_failsTheCheckAndWritesNothingHalfDone)
{
    saveSteps(m_pages.url("/never.html"), {1280, 800, 1, false}, anyRegion);
    startThroughStore(StepsExecutionMode::manualCheck());
    ASSERT_TRUE(waitUntil([&] { return m_pages.hangingRequests() > 0; }, connectBound)) << "the page never loaded";

    ASSERT_TRUE(m_chromium->stop()) << "Chromium left processes behind";
    settle();
    expectOneFailedCheck(chromeDisconnected);
    EXPECT_TRUE(waitUntil([&] { return client().state().profiles().empty(); })) << "the host's connection stayed";
}

TEST_F(BrowserFailureTest, stopWhileChromeIsConnected_endsWithinItsBound)
{
    saveSteps(m_pages.url("/never.html"), {1280, 800, 1, false}, anyRegion);
    startThroughStore(StepsExecutionMode::manualCheck());
    ASSERT_TRUE(waitUntil([&] { return m_pages.hangingRequests() > 0; }, connectBound)) << "the page never loaded";

    const auto stopping = Clock::now();
    waitBounded(client().stop(), 30s);
    // Two seconds for Chrome to confirm the cancel, then the watchdog tears the bridge down; some slack for the
    // event loop of a busy machine.
    EXPECT_LT(Clock::now() - stopping, 4s);
    settle();
    const std::vector<MonitorCheck> checks = storedChecks();
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_TRUE(checks[0].failure.has_value());
    EXPECT_EQ(checks[0].readingCount, 0);
}

} // namespace
} // namespace tavlen::test
