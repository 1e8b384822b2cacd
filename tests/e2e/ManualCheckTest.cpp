#include "BoundedWait.h"
#include "EndToEndTest.h"

#include <gtest/gtest.h>

#include <iostream>

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

TEST_F(EndToEndTest, manualCheck_readsThePriceFromChromesCaptureAndStoresIt)
{
    useSteps(m_pages.url("/prices.html"), {1280, 800, 2, false}, kettleRegionAtScale2());
    const auto started = Clock::now();
    const StepsExecutionResult result = run(StepsExecutionMode::manualCheck());
    const auto executed = Clock::now();
    ASSERT_EQ(result.failure, std::nullopt) << result.failure->code() << ": " << result.failure->message();
    const MonitorCheckRecord stored = record(result, started);
    const auto written = Clock::now();

    // The reading came from the evidence of the region: the price, not its neighbours or the hidden old price.
    ASSERT_EQ(result.readings.size(), 1u);
    EXPECT_EQ(result.readings[0].id, m_priceField);
    EXPECT_EQ(result.readings[0].value, ReadingValue::ofNumber(TestPages::kettlePrice));
    const std::vector<ModelServer::Request> requests = m_model.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].texts, (std::vector<std::string>{"€ 49.90"}));
    EXPECT_EQ(requests[0].crop.width, 380u) << "the crop is the region at the device scale factor";
    EXPECT_EQ(requests[0].crop.height, 60u);

    // The screenshot is the whole page at scale 2.
    const auto shot = screenshot();
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(shot->image().width, 2560u);
    EXPECT_EQ(shot->image().height, 1600u);
    EXPECT_EQ(shot->url(), m_pages.url("/prices.html"));

    // Stored with its reading and usage, and the tab was closed.
    EXPECT_TRUE(m_checks.pendingResults().empty());
    EXPECT_EQ(m_checks.checksRevision(), 1);
    EXPECT_EQ(finish(m_checks.loadCheckRecord(stored.check.id)), result.readings);
    const std::vector<MonitorCheck> history = finish(m_checks.loadHistoryPage(m_monitor, std::nullopt, 10));
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].failure, std::nullopt);
    EXPECT_EQ(history[0].readingCount, 1);
    ASSERT_TRUE(history[0].usage.has_value());
    ASSERT_EQ(history[0].usage->steps.size(), 1u);
    EXPECT_EQ(history[0].usage->steps[0].usage.requests, 1);
    EXPECT_GT(history[0].usage->steps[0].usage.inputTokens, 0);
    EXPECT_TRUE(waitUntil([&] { return client().isIdle(); })) << "the temporary tab was not closed";

    const auto& browser = m_browser->times();
    const auto total = written - started;
    const auto decoding = (executed - started) - browser.start - browser.capture - browser.finish - m_reader.total();
    std::cout << "One manual check: " << milliseconds(total) << " ms: page open " << milliseconds(browser.start)
              << " ms, capture round trip " << milliseconds(browser.capture) << " ms, tab closed "
              << milliseconds(browser.finish) << " ms, decoding and the rest " << milliseconds(decoding)
              << " ms, model read " << milliseconds(m_reader.total()) << " ms, write "
              << milliseconds(written - executed) << " ms\n"
              << m_chromium->extensionLog();
}

} // namespace
} // namespace tavlen::test
