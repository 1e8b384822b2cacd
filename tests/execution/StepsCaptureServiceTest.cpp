#include "StepsCaptureService.h"

#include "BridgeFailure.h"
#include "CancelledError.h"
#include "ScriptedStepsBrowser.h"
#include "StepsOpenPageSettings.h"
#include "StepsScreenshot.h"
#include "VirtualTimeWait.h"

#include <QObject>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tavlen::test {
namespace {

using namespace std::chrono_literals;

const BrowserCaptureSettings viewport{320, 200, 1, false};

class StepsCaptureServiceTest : public testing::Test
{
protected:
    StepsCaptureServiceTest()
    {
        QObject::connect(&settings, &StepsOpenPageSettings::phaseChanged, [this] {
            phases.push_back(settings.phase());
            if (onPhase) {
                onPhase(*settings.phase());
            }
        });
    }

    QCoro::Task<std::shared_ptr<const StepsScreenshot>>
    capture(std::int64_t delay = 0, std::string url = "https://a.test/", BrowserCaptureSettings size = viewport)
    {
        return service.capture(
            std::move(url), delay, size, settings, [this] { return current; }, stop.get_token());
    }

    // The failure's sentence, or "cancelled"; "none" when the capture succeeded.
    std::string failureOf(QCoro::Task<std::shared_ptr<const StepsScreenshot>> task)
    {
        try {
            finishInVirtualTime(std::move(task), time);
        } catch (const CancelledError&) {
            return "cancelled";
        } catch (const std::exception& error) {
            return error.what();
        }
        return "none";
    }

    VirtualTime time;
    ScriptedStepsBrowser browser{time};
    StepsCaptureService service{browser, time};
    StepsOpenPageSettings settings{"https://a.test/", 320, 200, false, 1};
    std::stop_source stop;
    bool current = true;
    std::vector<std::optional<StepsCapturePhase>> phases;
    std::function<void(StepsCapturePhase)> onPhase;
};

TEST_F(StepsCaptureServiceTest, unavailableReason_followsCapturingThenConnectionThenIdleness)
{
    EXPECT_EQ(service.unavailableReason(), std::nullopt);
    browser.idle = false;
    EXPECT_EQ(service.unavailableReason(), "Chrome is busy or waiting for cleanup. Try again when it is idle.");
    browser.connected = false;
    browser.state = "Select a Chrome profile to continue.";
    EXPECT_EQ(service.unavailableReason(),
              "Select a Chrome profile to continue. Click the Chrome button in the toolbar to connect.");
    EXPECT_EQ(failureOf(capture()),
              "Select a Chrome profile to continue. Click the Chrome button in the toolbar to connect.");
    EXPECT_TRUE(browser.calls.empty());
}

TEST_F(StepsCaptureServiceTest, goodCapture_passesEveryPhaseAndClosesTheTabWithTheHeldConnection)
{
    const std::shared_ptr<const StepsScreenshot> screenshot = finishInVirtualTime(capture(3), time);
    ASSERT_NE(screenshot, nullptr);
    EXPECT_EQ(screenshot->image().width, 320u);
    EXPECT_EQ(phases,
              (std::vector<std::optional<StepsCapturePhase>>{StepsCapturePhase::loading,
                                                             StepsCapturePhase::waiting,
                                                             StepsCapturePhase::capturing,
                                                             StepsCapturePhase::closing,
                                                             StepsCapturePhase::decoding}));
    EXPECT_EQ(browser.calls, (std::vector<std::string>{"start https://a.test/", "capture 2", "finish connection-1"}));
    EXPECT_EQ(browser.startedExecutionID, browser.finishedExecutionID);
    EXPECT_EQ(Uuid::parse(browser.startedExecutionID)->uppercaseString(), browser.startedExecutionID);
    EXPECT_FALSE(service.capturing());
}

TEST_F(StepsCaptureServiceTest, delay_isSleptInFullAndZeroSkipsWaiting)
{
    auto task = capture(3);
    time.advance(2999ms);
    EXPECT_EQ(browser.calls.size(), 1u) << "still waiting before the capture";
    time.advance(1ms);
    EXPECT_EQ(browser.calls.size(), 3u);
    ASSERT_NE(finishInVirtualTime(std::move(task), time), nullptr);

    phases.clear();
    ASSERT_NE(finishInVirtualTime(capture(0), time), nullptr);
    EXPECT_EQ(std::count(phases.begin(), phases.end(), StepsCapturePhase::waiting), 0);
}

TEST_F(StepsCaptureServiceTest, refusals_happenBeforeAnyBrowserCall)
{
    struct Row
    {
        const char* name;
        std::int64_t delay;
        std::string url;
        BrowserCaptureSettings size;
        std::function<void(ScriptedStepsBrowser&)> adjust;
        std::string failure;
    };

    const std::vector<Row> rows{
        {"not a page address", 0, "ftp://a.test/", viewport, {}, "Enter a complete HTTP(S) URL."},
        {"delay above a minute", 61, "https://a.test/", viewport, {}, "Enter a screenshot delay from 0 to 60 seconds."},
        {"negative delay", -1, "https://a.test/", viewport, {}, "Enter a screenshot delay from 0 to 60 seconds."},
        {"zero width",
         0,
         "https://a.test/",
         {0, 200, 1, false},
         {},
         "Enter positive viewport dimensions and device scale factor."},
        {"busy Chrome",
         0,
         "https://a.test/",
         viewport,
         [](ScriptedStepsBrowser& b) { b.idle = false; },
         "Chrome is busy or waiting for cleanup. Try again when it is idle."},
        {"no live connection",
         0,
         "https://a.test/",
         viewport,
         [](ScriptedStepsBrowser& b) { b.connection.reset(); },
         "Chrome disconnected. Start a new session after reconnecting."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScriptedStepsBrowser fresh(time);
        if (row.adjust) {
            row.adjust(fresh);
        }
        StepsCaptureService refusing(fresh, time);
        auto task = refusing.capture(row.url, row.delay, row.size, settings, [] { return true; }, {});
        EXPECT_EQ(failureOf(std::move(task)), row.failure);
        EXPECT_TRUE(fresh.calls.empty());
        EXPECT_FALSE(refusing.capturing());
    }
    EXPECT_TRUE(phases.empty());
}

TEST_F(StepsCaptureServiceTest, secondCapture_isRefusedAtOnceWithoutDisturbingTheFirst)
{
    auto first = capture(5);
    EXPECT_TRUE(service.capturing());
    EXPECT_EQ(failureOf(capture()), "Another check or browser operation is active.");
    EXPECT_NE(finishInVirtualTime(std::move(first), time), nullptr);
    EXPECT_EQ(browser.calls.size(), 3u);
    EXPECT_FALSE(service.capturing());
}

TEST_F(StepsCaptureServiceTest, failuresAfterTheStart_closeTheTabOnceAndKeepTheirError)
{
    struct Row
    {
        const char* name;
        std::function<void(ScriptedStepsBrowser&)> adjust;
        std::optional<StepsCapturePhase> cancelAt;
        std::string failure;
    };

    const std::vector<Row> rows{
        {"opening fails",
         [](ScriptedStepsBrowser& b) {
             b.startError = std::make_exception_ptr(BridgeFailure("Chrome said no.", std::string_view("busy")));
         },
         std::nullopt,
         "Chrome said no."},
        {"capturing fails",
         [](ScriptedStepsBrowser& b) { b.captureError = std::make_exception_ptr(BridgeFailure("Too slow.")); },
         std::nullopt,
         "Too slow."},
        {"geometry not kept",
         [](ScriptedStepsBrowser& b) {
             b.snapshot = fakeSnapshot({640, 400, 1, false}, "https://a.test/");
         },
         std::nullopt,
         "Chrome did not maintain the requested capture viewport or pixel scale. Start a new session."},
        {"cancelled while loading",
         [](ScriptedStepsBrowser& b) { b.holdStart = true; },
         StepsCapturePhase::loading,
         "cancelled"},
        {"cancelled while waiting", {}, StepsCapturePhase::waiting, "cancelled"},
        {"cancelled while capturing",
         [](ScriptedStepsBrowser& b) { b.holdCapture = true; },
         StepsCapturePhase::capturing,
         "cancelled"},
        {"cancelled while closing", {}, StepsCapturePhase::closing, "cancelled"},
        {"cancelled while decoding", {}, StepsCapturePhase::decoding, "cancelled"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScriptedStepsBrowser fresh(time);
        if (row.adjust) {
            row.adjust(fresh);
        }
        StepsCaptureService failing(fresh, time);
        std::stop_source cancel;
        onPhase = [&](StepsCapturePhase phase) {
            if (phase == row.cancelAt) {
                cancel.request_stop();
            }
        };
        auto task = failing.capture(
            "https://a.test/", 2, viewport, settings, [] { return true; }, cancel.get_token());
        EXPECT_EQ(failureOf(std::move(task)), row.failure);
        EXPECT_EQ(std::count_if(fresh.calls.begin(),
                                fresh.calls.end(),
                                [](const std::string& call) { return call.starts_with("finish"); }),
                  1);
        EXPECT_FALSE(failing.capturing());
    }
}

TEST_F(StepsCaptureServiceTest, unconfirmedClose_failsAlthoughTheSnapshotWasGood)
{
    browser.finishAnswer = false;
    EXPECT_EQ(failureOf(capture()),
              "Chrome did not confirm that its temporary tab closed. Click the Chrome button in the toolbar to check "
              "the connection.");
    EXPECT_EQ(phases.back(), StepsCapturePhase::closing);
}

TEST_F(StepsCaptureServiceTest, undecodableImage_failsWithTheImageSentence)
{
    BrowserSnapshot wrongSize = fakeSnapshot(viewport, "https://a.test/");
    wrongSize.imageWidth += 1;
    browser.snapshot = wrongSize;
    EXPECT_EQ(failureOf(capture()),
              "Chrome returned an image that could not be opened. Test the Open page step again.");
    EXPECT_FALSE(service.capturing());
}

TEST_F(StepsCaptureServiceTest, phases_stopChangingOnceTheExecutionIsNoLongerCurrent)
{
    onPhase = [this](StepsCapturePhase phase) {
        if (phase == StepsCapturePhase::capturing) {
            current = false;
        }
    };
    EXPECT_NE(finishInVirtualTime(capture(1), time), nullptr);
    EXPECT_EQ(settings.phase(), StepsCapturePhase::capturing);
}

} // namespace
} // namespace tavlen::test
