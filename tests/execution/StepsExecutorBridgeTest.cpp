#include "BoundedWait.h"
#include "BrowserClientHarness.h"
#include "ScriptedStepsReader.h"
#include "StepsCaptureService.h"
#include "StepsDraft.h"
#include "StepsExecutor.h"
#include "StepsScreenshot.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

namespace tavlen::test {
namespace {

using namespace std::chrono_literals;

// The executor over the real browser client, the real TavlenBrowserHost and a well-behaved extension played by
// the test: what a check does end to end up to the model.
class StepsExecutorBridgeTest : public testing::Test
{
protected:
    void SetUp() override
    {
        world.start();
        chrome = world.connect("profile-a");
        chrome->setResponder(extension.responder());

        auto page = std::make_shared<StepsOpenPageSettings>("https://example.com/prices", 300, 150, false, 2);
        page->setScreenshotDelayText("0");
        openPage = Step::create(Uuid::random(), StepContent::openPage(page), std::nullopt, std::nullopt);
        auto settings = std::make_shared<StepsReadSettings>(Uuid::random());
        settings->setFields({{Uuid::random(), "Price", ReadingFieldType::number, ""}});
        read = Step::create(Uuid::random(), StepContent::read(settings), openPage->id(), BrowserRect{0, 0, 100, 50});
        draft = StepsDraft::create({openPage, read});
    }

    void TearDown() override { flushDeferredDeletes(); }

    QCoro::Task<StepsExecutionResult> start(StepsExecutionMode mode)
    {
        const StepsExecutor::Models models{{read->id(), {ModelSelection::Provider::openAI, "gpt-4o", std::nullopt}}};
        return executor.execute(
            draft, mode, models, [] { return true; }, [] { return true; });
    }

    BrowserClientHarness world;
    FakeExtension extension;
    std::unique_ptr<FakeChrome> chrome;
    StepsCaptureService capture{world.client(), world.time};
    ScriptedStepsReader reader{systemTime()};
    StepsExecutor executor{capture, &reader};
    std::shared_ptr<Step> openPage;
    std::shared_ptr<Step> read;
    std::shared_ptr<StepsDraft> draft;
};

TEST_F(StepsExecutorBridgeTest, manualCheck_capturesThroughChromeAndReadsTheScreenshot)
{
    world.select(*chrome, "profile-a");
    ASSERT_TRUE(world.client().isIdle());

    const StepsExecutionResult result = waitBounded(start(StepsExecutionMode::manualCheck()), 60s);
    EXPECT_EQ(result.failure, std::nullopt);
    ASSERT_EQ(result.readings.size(), 1u);
    const auto screenshot =
        std::dynamic_pointer_cast<const StepsScreenshot>(openPage->content().openPageSettings()->screenshot());
    ASSERT_NE(screenshot, nullptr);
    EXPECT_EQ(screenshot->image().width, 600u) << "the device scale factor was kept";
    EXPECT_EQ(screenshot->url(), "https://example.com/prices");
    ASSERT_EQ(reader.calls.size(), 1u);
    EXPECT_EQ(reader.calls[0].screenshot, screenshot);
    EXPECT_TRUE(waitUntil([&] { return world.client().isIdle(); })) << "the temporary tab was closed";
    EXPECT_FALSE(capture.capturing());
}

TEST_F(StepsExecutorBridgeTest, manualCheck_failsAtOnceWhileNoProfileIsSelected_butAScheduledCheckWaits)
{
    const StepsExecutionResult refused = waitBounded(start(StepsExecutionMode::manualCheck()), 60s);
    ASSERT_TRUE(refused.failure.has_value());
    EXPECT_EQ(refused.failure->code(), "execution_failed");
    EXPECT_TRUE(refused.failure->message().ends_with(" Click the Chrome button in the toolbar to connect."));

    auto scheduled = start(StepsExecutionMode::scheduledCheck());
    EXPECT_EQ(openPage->execution().kind(), StepsExecutionState::Kind::running);
    world.select(*chrome, "profile-a");
    const StepsExecutionResult result = waitBounded(std::move(scheduled), 60s);
    EXPECT_EQ(result.failure, std::nullopt);
    EXPECT_EQ(result.readings.size(), 1u);
}

// Chrome ends the session while the check waits out the screenshot delay: the session cancels the capture on
// its own, and the check ends as cancelled, though nobody asked it to stop.
TEST_F(StepsExecutorBridgeTest, chromeEndingTheSessionDuringTheDelay_endsTheCheckAsCancelled)
{
    world.select(*chrome, "profile-a");
    StepsOpenPageSettings& page = *openPage->content().openPageSettings();
    page.setScreenshotDelayText("5");
    auto checking = start(StepsExecutionMode::manualCheck());
    ASSERT_TRUE(waitUntil([&] { return page.phase() == StepsCapturePhase::waiting; }));

    BrowserStatus ended = world.state().status();
    ended.state = "stopping";
    ended.lastError = BrowserToolError{"closed", "The tab was closed."};
    chrome->sendStatus(ended, world.state().executionID());
    ASSERT_TRUE(waitUntil([&] { return world.state().status().state == "stopping"; }));
    world.time.advance(5s);

    const StepsExecutionResult result = waitBounded(std::move(checking), 60s);
    EXPECT_EQ(result.failure, MonitorCheckFailure("cancelled", "Execution cancelled."));
    EXPECT_EQ(openPage->execution().kind(), StepsExecutionState::Kind::failed);
    EXPECT_EQ(openPage->execution().message(), "Execution cancelled.");
    EXPECT_TRUE(reader.calls.empty());
}

} // namespace
} // namespace tavlen::test
