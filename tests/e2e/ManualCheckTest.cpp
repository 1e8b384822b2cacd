#include "BoundedWait.h"
#include "EndToEndTest.h"

#include <gtest/gtest.h>

#include <iostream>
#include <regex>

namespace tavlen::test {
namespace {

using namespace std::chrono_literals;

double milliseconds(std::chrono::steady_clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

// The kettle's price cell on a page captured at device scale factor 2: the step's region is in image pixels.
BrowserRect kettleRegionAtScale2()
{
    const BrowserRect& cell = TestPages::kettlePriceRegion;
    return {cell.x * 2, cell.y * 2, cell.width * 2, cell.height * 2};
}

// How long Chrome itself took for the last capture, as the extension logged it.
double chromeCaptureMilliseconds(const std::string& log)
{
    const std::regex line(R"(capture: ([0-9]+) ms in all)");
    double last = 0;
    for (auto match = std::sregex_iterator(log.begin(), log.end(), line); match != std::sregex_iterator(); ++match) {
        last = std::stod((*match)[1].str());
    }
    return last;
}

TEST_F(EndToEndTest, manualCheck_readsThePriceFromChromesCaptureAndStoresIt)
{
    saveSteps(m_pages.url("/prices.html"), {1280, 800, 2, false}, kettleRegionAtScale2());
    Clock::time_point writeStarted{};
    Clock::time_point writeEnded{};
    QObject::connect(&m_store->results(), &MonitorCheckStore::storingResultsChanged, [&] {
        (m_store->results().storingResults().contains(m_monitor) ? writeStarted : writeEnded) = Clock::now();
    });
    const auto started = Clock::now();
    startThroughStore(StepsExecutionMode::manualCheck());
    settle();
    const auto settled = Clock::now();

    // Stored with its reading and usage.
    const std::vector<MonitorCheck> checks = storedChecks();
    ASSERT_EQ(checks.size(), 1u);
    ASSERT_EQ(checks[0].failure, std::nullopt) << checks[0].failure->code() << ": " << checks[0].failure->message();
    EXPECT_EQ(checks[0].readingCount, 1);
    ASSERT_TRUE(checks[0].usage.has_value());
    ASSERT_EQ(checks[0].usage->steps.size(), 1u);
    EXPECT_EQ(checks[0].usage->steps[0].usage.requests, 1);
    EXPECT_GT(checks[0].usage->steps[0].usage.inputTokens, 0);
    EXPECT_EQ(m_store->state().latestExecutionOutcomes().at(m_monitor), MonitorCheckOutcome::succeeded);
    EXPECT_TRUE(m_store->results().pendingResults().empty());
    // The reading came from the evidence of the region: the price, not its neighbours or the prices not painted.
    const std::vector<Reading> readings = finish(m_store->loadReadings(checks[0].id));
    ASSERT_EQ(readings.size(), 1u);
    EXPECT_EQ(readings[0].id, m_priceField);
    EXPECT_EQ(readings[0].value, ReadingValue::ofNumber(TestPages::kettlePrice));
    const std::vector<ModelServer::Request> requests = m_model.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].texts, (std::vector<std::string>{"€ 49.90"}));
    EXPECT_EQ(requests[0].crop.width, 380u) << "the crop is the region at the device scale factor";
    EXPECT_EQ(requests[0].crop.height, 60u);

    // The whole page at scale 2, and the tab was closed.
    const auto session = m_store->state().session(m_monitor);
    ASSERT_NE(session, nullptr);
    const auto shot = std::dynamic_pointer_cast<const StepsScreenshot>(
        session->draft()->steps().at(0)->content().openPageSettings()->screenshot());
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(shot->image().width, 2560u);
    EXPECT_EQ(shot->image().height, 1600u);
    EXPECT_EQ(shot->url(), m_pages.url("/prices.html"));
    EXPECT_TRUE(waitUntil([&] { return client().isIdle(); })) << "the temporary tab was not closed";

    const auto& browser = m_browser->times();
    const double chrome = chromeCaptureMilliseconds(m_chromium->extensionLog());
    const auto write = writeEnded - writeStarted;
    const auto rest = (settled - started) - browser.start - browser.capture - browser.finish - m_reader.total() - write;
    std::cout << "One manual check: " << milliseconds(settled - started) << " ms: page open "
              << milliseconds(browser.start) << " ms; capture round trip " << milliseconds(browser.capture)
              << " ms, of which Chrome's capture " << chrome << " ms and the relay with both validations "
              << milliseconds(browser.capture) - chrome << " ms; tab closed " << milliseconds(browser.finish)
              << " ms; model read " << milliseconds(m_reader.total()) << " ms; write " << milliseconds(write)
              << " ms; decoding and the rest " << milliseconds(rest) << " ms\n"
              << m_chromium->extensionLog();
}

TEST_F(EndToEndTest, stepTest_readsFromTheCaptureOfTheStepBeforeAndStoresNothing)
{
    const BrowserRect& cell = TestPages::kettlePriceRegion; // at scale 1, image pixels are CSS pixels
    const auto session = saveSteps(m_pages.url("/prices.html"), {1280, 800, 1, false}, cell);
    ASSERT_NE(session, nullptr);
    const auto openPage = session->draft()->steps().at(0);
    const auto read = session->draft()->steps().at(1);

    startThroughStore(StepsExecutionMode::testStep(openPage->id()));
    settle();
    ASSERT_EQ(openPage->execution().kind(), StepsExecutionState::Kind::succeeded);
    const auto captured = openPage->content().openPageSettings()->screenshot();
    ASSERT_NE(captured, nullptr);
    EXPECT_TRUE(m_model.requests().empty());

    startThroughStore(StepsExecutionMode::testStep(read->id()));
    settle();
    ASSERT_EQ(read->execution().kind(), StepsExecutionState::Kind::succeeded);
    ASSERT_EQ(read->execution().readings().size(), 1u);
    EXPECT_EQ(read->execution().readings()[0].value, ReadingValue::ofNumber(TestPages::kettlePrice));
    EXPECT_EQ(openPage->content().openPageSettings()->screenshot(), captured)
        << "the step test captured the page again";
    ASSERT_EQ(m_model.requests().size(), 1u);
    EXPECT_EQ(m_model.requests()[0].crop.width, 190u);
    EXPECT_TRUE(storedChecks().empty()) << "a step test is not a check";
}

} // namespace
} // namespace tavlen::test
