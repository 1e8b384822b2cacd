#include "StepsExecutor.h"

#include "BridgeFailure.h"
#include "CancelledError.h"
#include "OpenAIFailure.h"
#include "ProviderFailure.h"
#include "ReadingFailure.h"
#include "ScriptedStepsBrowser.h"
#include "ScriptedStepsReader.h"
#include "StepsCaptureService.h"
#include "StepsDraft.h"
#include "StepsScreenshot.h"
#include "VirtualTimeWait.h"

#include <QObject>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tavlen::test {
namespace {

using namespace std::chrono_literals;
using Kind = StepsExecutionState::Kind;

ReadingField field(std::string name, ReadingFieldType type)
{
    return {Uuid::random(), std::move(name), type, ""};
}

// Open page, Read (price and title), Read (stock): a workflow with a configured model for each Read step, run
// by the real capture service over a scripted browser and a scripted reader, in virtual time.
class ExecutorWorld
{
public:
    ExecutorWorld()
    {
        auto page = std::make_shared<StepsOpenPageSettings>("https://a.test/", 320, 200, false, 1);
        page->setScreenshotDelayText("0");
        openPage = Step::create(Uuid::random(), StepContent::openPage(page), std::nullopt, std::nullopt);
        firstRead = readStep({field("Price", ReadingFieldType::number), field("Title", ReadingFieldType::text)});
        secondRead = readStep({field("Stock", ReadingFieldType::number)});
        draft = StepsDraft::create({openPage, firstRead, secondRead});
        models = {{firstRead->id(), model}, {secondRead->id(), model}};
    }

    std::shared_ptr<Step> readStep(std::vector<ReadingField> fields)
    {
        auto settings = std::make_shared<StepsReadSettings>(Uuid::random());
        settings->setFields(std::move(fields));
        return Step::create(Uuid::random(), StepContent::read(settings), openPage->id(), BrowserRect{10, 10, 50, 20});
    }

    StepsOpenPageSettings& page() { return *openPage->content().openPageSettings(); }

    QCoro::Task<StepsExecutionResult> start(StepsExecutionMode mode = StepsExecutionMode::manualCheck())
    {
        return executor.execute(
            draft, mode, models, [this] { return current; }, [this] { return acceptsUsage; }, stop.get_token());
    }

    StepsExecutionResult run(StepsExecutionMode mode = StepsExecutionMode::manualCheck())
    {
        return finishInVirtualTime(start(mode), time);
    }

    std::vector<Kind> states() const
    {
        std::vector<Kind> kinds;
        for (const auto& step : draft->steps()) {
            kinds.push_back(step->execution().kind());
        }
        return kinds;
    }

    VirtualTime time;
    ScriptedStepsBrowser browser{time};
    StepsCaptureService capture{browser, time};
    ScriptedStepsReader reader{time};
    StepsExecutor executor{capture, &reader, time};
    ModelSelection model{ModelSelection::Provider::openAI, "gpt-4o", std::nullopt};
    std::shared_ptr<Step> openPage;
    std::shared_ptr<Step> firstRead;
    std::shared_ptr<Step> secondRead;
    std::shared_ptr<StepsDraft> draft;
    StepsExecutor::Models models;
    std::stop_source stop;
    bool current = true;
    bool acceptsUsage = true;
};

class StepsExecutorTest : public testing::Test, protected ExecutorWorld
{};

TEST_F(StepsExecutorTest, manualCheck_runsEveryStepAndGivesReadingsInStepAndFieldOrder)
{
    std::vector<StepsExecutionProgress> progress;
    QObject::connect(&executor, &StepsExecutor::progressChanged, [&] { progress.push_back(*executor.progress()); });
    const StepsExecutionResult result = run();

    EXPECT_EQ(result.failure, std::nullopt);
    ASSERT_EQ(result.readings.size(), 3u);
    EXPECT_EQ(result.readings[0].fieldName, "Price");
    EXPECT_EQ(result.readings[1].fieldName, "Title");
    EXPECT_EQ(result.readings[2].fieldName, "Stock");
    ASSERT_EQ(result.usage.steps.size(), 2u);
    EXPECT_EQ(result.usage.steps[0].stepNumber, 1);
    EXPECT_EQ(result.usage.steps[1].stepNumber, 2);
    EXPECT_EQ(result.usage.steps[0].stepID, firstRead->id());
    EXPECT_EQ(result.usage.steps[0].usage.requests, 1);
    EXPECT_EQ(states(), (std::vector<Kind>{Kind::succeeded, Kind::succeeded, Kind::succeeded}));
    for (const auto& step : draft->steps()) {
        EXPECT_TRUE(step->executionDuration().has_value());
    }
    EXPECT_NE(page().screenshot(), nullptr);
    EXPECT_EQ(page().phase(), std::nullopt);
    EXPECT_EQ(executor.activeStepID(), std::nullopt);
    EXPECT_EQ(executor.activeModel(), model);
    EXPECT_EQ(progress.back(), (StepsExecutionProgress{3, 3, 3}));
    EXPECT_EQ(progress.front(), (StepsExecutionProgress{1, 3, 0}));
    ASSERT_EQ(reader.calls.size(), 2u);
    EXPECT_EQ(reader.calls[0].timeoutSeconds, 60);
    EXPECT_EQ(reader.calls[0].screenshot, page().screenshot());

    // A second check runs every step again, with a new capture.
    const auto firstScreenshot = page().screenshot();
    EXPECT_EQ(run().failure, std::nullopt);
    EXPECT_NE(page().screenshot(), firstScreenshot);
    EXPECT_EQ(reader.calls.size(), 4u);
}

TEST_F(StepsExecutorTest, stepTest_reusesEarlierSuccessesAndLeavesLaterStepsUnexecuted)
{
    ASSERT_EQ(run().failure, std::nullopt);
    const auto screenshot = page().screenshot();
    browser.calls.clear();

    const StepsExecutionResult result = run(StepsExecutionMode::testStep(firstRead->id()));
    EXPECT_EQ(result.failure, std::nullopt);
    EXPECT_TRUE(browser.calls.empty()) << "the Open page step is not run again";
    EXPECT_EQ(page().screenshot(), screenshot);
    EXPECT_EQ(result.readings.size(), 2u);
    EXPECT_EQ(executor.progress(), (StepsExecutionProgress{2, 3, 2}));
    EXPECT_EQ(states(), (std::vector<Kind>{Kind::succeeded, Kind::succeeded, Kind::unexecuted}));
    EXPECT_EQ(secondRead->executionDuration(), std::nullopt);
}

TEST_F(StepsExecutorTest, noTargetStep_touchesNothing)
{
    ASSERT_EQ(run().failure, std::nullopt);
    const StepsExecutionResult result = run(StepsExecutionMode::testStep(Uuid::random()));
    EXPECT_EQ(result.failure, MonitorCheckFailure("execution_failed", "The workflow has no target step."));
    EXPECT_TRUE(result.readings.empty());
    EXPECT_TRUE(result.usage.steps.empty());
    EXPECT_EQ(states(), (std::vector<Kind>{Kind::succeeded, Kind::succeeded, Kind::succeeded}));

    draft = StepsDraft::create({});
    EXPECT_EQ(run().failure, MonitorCheckFailure("execution_failed", "The workflow has no target step."));
}

// Every way a check fails: the stored code and message, the state of each step afterwards and the usage
// entries the result keeps.
TEST_F(StepsExecutorTest, failures_areStoredWithTheirCodeAndStopTheWorkflow)
{
    struct Row
    {
        const char* name;
        std::function<void(ExecutorWorld&)> arrange;
        std::string code;
        std::string message;
        std::vector<Kind> states;
        std::size_t usageEntries;
    };

    const auto providerError = [](std::string code) {
        return std::make_exception_ptr(ProviderFailure(code, "The provider refused."));
    };
    const std::string cancelled = "Execution cancelled.";
    const std::vector<Row> rows{
        {"URL that is not a page",
         [](auto& t) { t.page().setUrl("mailto:someone@a.test"); },
         "execution_failed",
         "Enter a complete URL starting with https:// or http://.",
         {Kind::failed, Kind::unexecuted, Kind::unexecuted},
         0},
        {"delay of 61 seconds",
         [](auto& t) { t.page().setScreenshotDelayText("61"); },
         "execution_failed",
         "Enter a screenshot delay from 0 to 60 seconds.",
         {Kind::failed, Kind::unexecuted, Kind::unexecuted},
         0},
        {"empty delay",
         [](auto& t) { t.page().setScreenshotDelayText(""); },
         "execution_failed",
         "Enter a screenshot delay from 0 to 60 seconds.",
         {Kind::failed, Kind::unexecuted, Kind::unexecuted},
         0},
        {"viewport without a height",
         [](auto& t) { t.page().setViewportHeightText("tall"); },
         "execution_failed",
         "Enter positive viewport dimensions and device scale factor.",
         {Kind::failed, Kind::unexecuted, Kind::unexecuted},
         0},
        {"Chrome not connected in a manual check",
         [](auto& t) {
             t.browser.connected = false;
             t.browser.state = "Waiting for Chrome...";
         },
         "execution_failed",
         "Waiting for Chrome... Click the Chrome button in the toolbar to connect.",
         {Kind::failed, Kind::unexecuted, Kind::unexecuted},
         0},
        {"geometry not kept: a bridge code is not stored",
         [](auto& t) {
             t.browser.snapshot = fakeSnapshot({640, 400, 1, false}, "https://a.test/");
         },
         "execution_failed",
         "Chrome did not maintain the requested capture viewport or pixel scale. Start a new session.",
         {Kind::failed, Kind::unexecuted, Kind::unexecuted},
         0},
        {"capture timing out in the browser",
         [](auto& t) {
             t.browser.captureError =
                 std::make_exception_ptr(BridgeFailure("Chrome did not respond in time.", std::string_view("timeout")));
         },
         "execution_failed",
         "Chrome did not respond in time.",
         {Kind::failed, Kind::unexecuted, Kind::unexecuted},
         0},
        {"undecodable image",
         [](auto& t) {
             BrowserSnapshot snapshot = fakeSnapshot({320, 200, 1, false}, "https://a.test/");
             snapshot.imageBase64 = "AAAA";
             t.browser.snapshot = snapshot;
         },
         "execution_failed",
         "Chrome returned an image that could not be opened. Test the Open page step again.",
         {Kind::failed, Kind::unexecuted, Kind::unexecuted},
         0},
        {"Read step without a model",
         [](auto& t) { t.models.erase(t.firstRead->id()); },
         "execution_failed",
         "Select a configured AI model and a positive timeout in this Read step.",
         {Kind::succeeded, Kind::failed, Kind::unexecuted},
         0},
        {"time-out of 1.5",
         [](auto& t) { t.firstRead->content().readSettings()->setTimeoutText("1.5"); },
         "execution_failed",
         "Select a configured AI model and a positive timeout in this Read step.",
         {Kind::succeeded, Kind::failed, Kind::unexecuted},
         0},
        {"time-out of 0",
         [](auto& t) { t.firstRead->content().readSettings()->setTimeoutText("0"); },
         "execution_failed",
         "Select a configured AI model and a positive timeout in this Read step.",
         {Kind::succeeded, Kind::failed, Kind::unexecuted},
         0},
        {"Read step without fields keeps its usage entry",
         [](auto& t) { t.firstRead->content().readSettings()->setFields({}); },
         "execution_failed",
         "Add at least one field with a unique identity.",
         {Kind::succeeded, Kind::failed, Kind::unexecuted},
         1},
        {"field without a name",
         [](auto& t) { t.firstRead->content().readSettings()->setFields({field(" ", ReadingFieldType::text)}); },
         "execution_failed",
         "Enter a name for every field.",
         {Kind::succeeded, Kind::failed, Kind::unexecuted},
         1},
        {"Read step whose source step is gone",
         [](auto& t) {
             t.firstRead =
                 Step::create(Uuid::random(), t.firstRead->content(), Uuid::random(), BrowserRect{1, 1, 5, 5});
             t.draft = StepsDraft::create({t.openPage, t.firstRead, t.secondRead});
             t.models[t.firstRead->id()] = t.model;
         },
         "execution_failed",
         "Execute the Open page step and select a screenshot region first.",
         {Kind::succeeded, Kind::failed, Kind::unexecuted},
         1},
        {"Read step without a region",
         [](auto& t) { t.firstRead->setRegion(std::nullopt); },
         "execution_failed",
         "Execute the Open page step and select a screenshot region first.",
         {Kind::succeeded, Kind::failed, Kind::unexecuted},
         1},
        {"provider authentication failure keeps its code",
         [&](auto& t) { t.reader.error = providerError("provider_authentication"); },
         "provider_authentication",
         "The provider refused.",
         {Kind::succeeded, Kind::failed, Kind::unexecuted},
         1},
        {"an OpenAI failure keeps its code",
         [](auto& t) {
             t.reader.error = std::make_exception_ptr(OpenAIFailure("openai_refused", "OpenAI refused.", false));
         },
         "openai_refused",
         "OpenAI refused.",
         {Kind::succeeded, Kind::failed, Kind::unexecuted},
         1},
        {"a long code is cut at a character boundary",
         [&](auto& t) { t.reader.error = providerError(std::string(79, 'c') + "\u00e9zz"); },
         std::string(79, 'c'),
         "The provider refused.",
         {Kind::succeeded, Kind::failed, Kind::unexecuted},
         1},
        {"an empty code becomes unknown",
         [&](auto& t) { t.reader.error = providerError(""); },
         "unknown",
         "The provider refused.",
         {Kind::succeeded, Kind::failed, Kind::unexecuted},
         1},
        {"reader failure of its own",
         [](auto& t) { t.reader.error = std::make_exception_ptr(ReadingFailure::regionOutsideScreenshot()); },
         "execution_failed",
         ReadingFailure::regionOutsideScreenshot().message(),
         {Kind::succeeded, Kind::failed, Kind::unexecuted},
         1},
        {"readings that do not match the fields",
         [](auto& t) { t.reader.readings = std::vector<Reading>{}; },
         "execution_failed",
         "The model returned incomplete or invalid readings. Choose Test step to try again.",
         {Kind::succeeded, Kind::failed, Kind::unexecuted},
         1},
        {"the model not answering within the step's time-out",
         [](auto& t) {
             t.firstRead->content().readSettings()->setTimeoutText("5");
             t.reader.hold = true;
         },
         "execution_timeout",
         "The model did not answer in time.",
         {Kind::succeeded, Kind::failed, Kind::unexecuted},
         1},
        {"cancelled while reading",
         [](auto& t) {
             t.reader.hold = true;
             t.reader.duringRead = [&t] { t.stop.request_stop(); };
         },
         "cancelled",
         cancelled,
         {Kind::succeeded, Kind::failed, Kind::unexecuted},
         1},
        {"the browser cancelling a capture nobody stopped",
         [](auto& t) { t.browser.captureError = std::make_exception_ptr(CancelledError()); },
         "cancelled",
         cancelled,
         {Kind::failed, Kind::unexecuted, Kind::unexecuted},
         0},
        {"a read cancelled without a stop",
         [](auto& t) { t.reader.error = std::make_exception_ptr(CancelledError()); },
         "cancelled",
         cancelled,
         {Kind::succeeded, Kind::failed, Kind::unexecuted},
         1},
        {"second Read step failing keeps both usage entries",
         [&](auto& t) {
             t.reader.duringRead = [&t] {
                 if (t.reader.calls.size() == 2) {
                     t.reader.error = std::make_exception_ptr(ProviderFailure("rate_limited", "Slow down."));
                 }
             };
         },
         "rate_limited",
         "Slow down.",
         {Kind::succeeded, Kind::succeeded, Kind::failed},
         2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ExecutorWorld world;
        row.arrange(world);
        const StepsExecutionResult result = world.run();
        EXPECT_EQ(result.failure, MonitorCheckFailure(row.code, row.message));
        EXPECT_TRUE(result.readings.empty());
        EXPECT_EQ(result.usage.steps.size(), row.usageEntries);
        EXPECT_EQ(world.states(), row.states);
        for (const auto& step : world.draft->steps()) {
            if (step->execution().kind() == Kind::failed) {
                EXPECT_EQ(step->execution().message(), result.failure->message());
                EXPECT_TRUE(step->executionDuration().has_value());
            }
        }
        EXPECT_EQ(world.page().phase(), std::nullopt);
        EXPECT_FALSE(world.capture.capturing());
        EXPECT_EQ(world.executor.activeStepID(), std::nullopt);
    }
}

// Cancelling in each phase of the capture closes the tab, ends the check as cancelled and marks the Open page
// step failed with the cancellation's sentence.
TEST_F(StepsExecutorTest, cancellationInEachCapturePhase_endsAsCancelled)
{
    for (const StepsCapturePhase phase : allStepsCapturePhases) {
        SCOPED_TRACE(std::string(displayText(phase)));
        ExecutorWorld world;
        world.page().setScreenshotDelayText("2");
        world.browser.holdStart = phase == StepsCapturePhase::loading;
        world.browser.holdCapture = phase == StepsCapturePhase::capturing;
        QObject::connect(&world.page(), &StepsOpenPageSettings::phaseChanged, [&world, phase] {
            if (world.page().phase() == phase) {
                world.stop.request_stop();
            }
        });
        const StepsExecutionResult result = world.run();
        EXPECT_EQ(result.failure, MonitorCheckFailure("cancelled", "Execution cancelled."));
        EXPECT_EQ(world.states(), (std::vector<Kind>{Kind::failed, Kind::unexecuted, Kind::unexecuted}));
        EXPECT_EQ(world.openPage->execution().message(), "Execution cancelled.");
        EXPECT_EQ(world.page().phase(), std::nullopt);
        EXPECT_EQ(world.page().screenshot(), nullptr);
        EXPECT_EQ(world.browser.calls.back(), "finish connection-1");
    }
}

TEST_F(StepsExecutorTest, noLongerCurrentDuringARead_dropsTheReadingsButKeepsTheUsage)
{
    reader.reports = {ModelRequestReport::requestSent(),
                      ModelRequestReport::usage(ModelUsage{10, 0, 0, 5, std::nullopt, std::nullopt, std::nullopt})};
    reader.duringRead = [this] { current = false; };
    const StepsExecutionResult result = run();
    EXPECT_EQ(result.failure, MonitorCheckFailure("cancelled", "Execution cancelled."));
    EXPECT_TRUE(result.readings.empty());
    ASSERT_EQ(result.usage.steps.size(), 1u);
    EXPECT_EQ(result.usage.steps[0].usage.requests, 1);
    EXPECT_EQ(result.usage.steps[0].usage.inputTokens, 10);
    EXPECT_EQ(firstRead->execution().kind(), Kind::running) << "the step belongs to whoever replaced the execution";
}

TEST_F(StepsExecutorTest, usageReports_areDroppedOnceNoLongerAccepted)
{
    acceptsUsage = false;
    const StepsExecutionResult result = run();
    EXPECT_EQ(result.failure, std::nullopt);
    ASSERT_EQ(result.usage.steps.size(), 2u);
    EXPECT_EQ(result.usage.steps[0].usage.requests, 0);
}

TEST_F(StepsExecutorTest, scheduledCheck_pollsForChromeEvery100msUntilItIsReady)
{
    browser.connected = false;
    browser.state = "Waiting for Chrome...";
    auto task = start(StepsExecutionMode::scheduledCheck());
    EXPECT_EQ(openPage->execution().kind(), Kind::running);
    time.advance(10s);
    EXPECT_TRUE(browser.calls.empty());
    EXPECT_EQ(time.armedTimers(), 1u) << "one poll waiting";
    browser.connected = true;
    time.advance(99ms);
    EXPECT_TRUE(browser.calls.empty());
    time.advance(1ms);
    EXPECT_FALSE(browser.calls.empty()) << "the next poll starts the capture";
    EXPECT_EQ(finishInVirtualTime(std::move(task), time).failure, std::nullopt);
}

TEST_F(StepsExecutorTest, scheduledCheck_cancelledWhileWaitingForChrome)
{
    browser.idle = false;
    auto task = start(StepsExecutionMode::scheduledCheck());
    time.advance(5s);
    stop.request_stop();
    const StepsExecutionResult result = finishInVirtualTime(std::move(task), time);
    EXPECT_EQ(result.failure, MonitorCheckFailure("cancelled", "Execution cancelled."));
    EXPECT_EQ(openPage->execution(), StepsExecutionState::failed("Execution cancelled."));
    EXPECT_TRUE(browser.calls.empty());
}

TEST_F(StepsExecutorTest, withoutReader_ReadStepsFail)
{
    StepsExecutor withoutReader(capture, nullptr, time);
    auto task = withoutReader.execute(
        draft, StepsExecutionMode::manualCheck(), models, [] { return true; }, [] { return true; });
    const StepsExecutionResult result = finishInVirtualTime(std::move(task), time);
    EXPECT_EQ(result.failure, MonitorCheckFailure("execution_failed", "Reading execution is unavailable."));
    EXPECT_EQ(result.usage.steps.size(), 1u);
}

} // namespace
} // namespace tavlen::test
