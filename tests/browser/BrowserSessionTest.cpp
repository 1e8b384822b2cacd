#include "BoundedWait.h"
#include "BridgeFailure.h"
#include "BrowserClientHarness.h"
#include "BrowserClientText.h"
#include "CancelledError.h"

#include <gtest/gtest.h>

#include <chrono>

namespace tavlen {
namespace {

using namespace std::chrono_literals;
using test::BrowserClientHarness;
using test::FakeChrome;
using test::fakeSnapshot;
using test::fakeStatus;
using test::waitBounded;
using test::waitUntil;
using Request = BrowserMessage::Request;
using Cancel = BrowserMessage::Cancel;

constexpr const char* execution = "6E1B0D2C-3A4F-4B5E-9C7D-8E9F0A1B2C3D";
constexpr const char* page = "https://example.com/prices";
const BrowserCaptureSettings viewport{320, 200, 1, false};

// The failure a task ended with, as "message|code"; "" when it succeeded, "cancelled" for a cancellation.
template <class T> std::string failureOf(QCoro::Task<T> task)
{
    try {
        waitBounded(std::move(task));
    } catch (const BridgeFailure& failure) {
        return failure.message() + "|" + failure.code().value_or("");
    } catch (const CancelledError&) {
        return "cancelled";
    }
    return "";
}

std::string failure(std::string_view message, std::string_view code = "")
{
    return std::string(message) + "|" + std::string(code);
}

BrowserResponse answer(const Request& request, BrowserStatus status, std::optional<BrowserSnapshot> snapshot = {})
{
    return {request.request.requestID, std::move(status), true, std::move(snapshot), std::nullopt};
}

BrowserResponse refusal(const std::string& requestID, BrowserStatus status, std::string code, std::string message)
{
    return {requestID, std::move(status), false, std::nullopt, BrowserToolError{std::move(code), std::move(message)}};
}

class BrowserSessionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        world.start();
        chrome = world.connectSelected("profile-a");
    }

    BrowserClient& client() { return world.client(); }

    const BrowserClientState& state() { return world.state(); }

    // Starts a session for the execution and answers the start with an active session.
    void startSession(const std::string& executionID = execution, const std::string& session = "session-1")
    {
        auto starting = client().startSession(executionID, page, viewport, {});
        const auto start = chrome->nextOf<Request>();
        ASSERT_TRUE(start);
        chrome->respond(start->executionID, answer(*start, fakeStatus("active", session)));
        waitBounded(std::move(starting));
    }

    // Answers the next capture request with a stale refusal; when the client is to retry, lets its pause pass.
    void answerStale(bool retried = true)
    {
        const auto capture = chrome->nextOf<Request>();
        ASSERT_TRUE(capture);
        const auto armed = world.time.armedTimers();
        chrome->respond(
            capture->executionID,
            refusal(capture->request.requestID, fakeStatus("active", "session-1"), "stale_snapshot", "Stale."));
        if (retried) {
            ASSERT_TRUE(waitUntil([&] { return world.time.armedTimers() > armed; })) << "no pause before the retry";
            world.time.advance(199ms);
            EXPECT_TRUE(chrome->isQuiet()) << "retried before the pause ended";
            world.time.advance(1ms);
        }
    }

    BrowserClientHarness world;
    std::unique_ptr<FakeChrome> chrome;
};

TEST_F(BrowserSessionTest, aSession_startsCapturesAndFinishesOverTheSelectedConnection)
{
    ASSERT_TRUE(client().isIdle());
    auto starting = client().startSession(execution, page, viewport, {});
    const auto start = chrome->nextOf<Request>();
    ASSERT_TRUE(start);
    EXPECT_EQ(start->executionID, execution);
    EXPECT_EQ(start->request.command, BrowserCommand::start);
    EXPECT_EQ(start->request.url, page);
    EXPECT_EQ(start->request.viewport, viewport);
    EXPECT_EQ(start->request.sessionID, std::nullopt);
    EXPECT_TRUE(state().working());
    EXPECT_FALSE(client().isIdle());
    chrome->respond(start->executionID, answer(*start, fakeStatus("active", "session-1")));
    waitBounded(std::move(starting));
    EXPECT_EQ(state().executionID(), execution);
    EXPECT_EQ(state().status().sessionID, "session-1");
    EXPECT_FALSE(state().working());

    auto capturing = client().captureSnapshot(2, {});
    const auto capture = chrome->nextOf<Request>();
    ASSERT_TRUE(capture);
    EXPECT_EQ(capture->request.command, BrowserCommand::capturePage);
    EXPECT_EQ(capture->request.sessionID, "session-1");
    const auto snapshot = fakeSnapshot(viewport, page);
    chrome->respond(capture->executionID, answer(*capture, fakeStatus("active", "session-1"), snapshot));
    EXPECT_EQ(waitBounded(std::move(capturing)), snapshot);
    EXPECT_EQ(state().capture, std::nullopt) << "the capture is handed over, not kept";

    auto finishing = client().finishSession(execution, chrome->connectionID());
    EXPECT_TRUE(state().isFinishingSession());
    const auto cancel = chrome->nextOf<Cancel>();
    ASSERT_TRUE(cancel);
    EXPECT_EQ(cancel->executionID, execution);
    chrome->respond(execution, BrowserResponse{cancel->requestID, fakeStatus("idle"), true, {}, {}});
    EXPECT_TRUE(waitBounded(std::move(finishing)));
    EXPECT_EQ(state().executionID(), std::nullopt);
    EXPECT_FALSE(state().isFinishingSession());
    EXPECT_TRUE(client().isIdle());
}

TEST_F(BrowserSessionTest, aWellBehavedExtension_servesACaptureThatKeepsTheViewport)
{
    test::FakeExtension extension;
    auto served = world.connect("profile-b", "Served");
    served->setResponder(extension.responder());
    world.select(*served, "profile-b");
    ASSERT_TRUE(client().isIdle());

    const BrowserCaptureSettings retina{300, 150, 2, false};
    waitBounded(client().startSession(execution, page, retina, {}));
    const auto snapshot = waitBounded(client().captureSnapshot(2, {}));
    EXPECT_NO_THROW(snapshot.checkGeometry(retina));
    EXPECT_EQ(snapshot.imageWidth, 600);
    EXPECT_EQ(snapshot.url, page);
    EXPECT_TRUE(waitBounded(client().finishSession(execution, *client().connectionID())));
    EXPECT_TRUE(client().isIdle());
}

TEST_F(BrowserSessionTest, startSession_checksTheViewportFirst_thenRefusesUnlessIdle_sendingNothing)
{
    EXPECT_EQ(failureOf(client().startSession(execution, page, BrowserCaptureSettings{0, 200, 1, false}, {})),
              failure(bridge_text::invalidCaptureSettings, bridge_code::invalidRequest));

    BrowserClientHarness fresh("profile-a");
    fresh.start();
    auto connected = fresh.connect("profile-a");
    ASSERT_TRUE(fresh.client().isConnected());
    EXPECT_FALSE(fresh.state().hasSelectedStatus());
    EXPECT_EQ(failureOf(fresh.client().startSession(execution, page, viewport, {})), failure(browser_text::notIdle));
    EXPECT_EQ(fresh.state().executionID(), std::nullopt);
    EXPECT_TRUE(connected->isQuiet());
    EXPECT_TRUE(chrome->isQuiet());
}

TEST_F(BrowserSessionTest, aSecondOperation_isRefused_whileTheFirstWaits)
{
    startSession();
    auto capturing = client().captureSnapshot(0, {});
    const auto capture = chrome->nextOf<Request>();
    ASSERT_TRUE(capture);

    EXPECT_EQ(failureOf(client().captureSnapshot(0, {})), failure(browser_text::operationRunning));
    EXPECT_EQ(failureOf(client().startSession("7A1B0D2C-3A4F-4B5E-9C7D-8E9F0A1B2C3D", page, viewport, {})),
              failure(browser_text::notIdle));
    EXPECT_TRUE(chrome->isQuiet()) << "nothing queued";

    const auto snapshot = fakeSnapshot(viewport, page);
    chrome->respond(capture->executionID, answer(*capture, fakeStatus("active", "session-1"), snapshot));
    EXPECT_EQ(waitBounded(std::move(capturing)), snapshot);
}

TEST_F(BrowserSessionTest, aSessionCommand_withoutAnOwnedSession_isRefused)
{
    EXPECT_EQ(failureOf(client().captureSnapshot(2, {})), failure(browser_text::noSession));
    EXPECT_TRUE(chrome->isQuiet());
}

TEST_F(BrowserSessionTest, aRefusedStart_releasesTheOwnerUnlessChromeKeepsASessionForAnotherReason)
{
    struct Row
    {
        const char* name;
        BrowserStatus status;
        const char* code;
        bool ownerKept;
    };

    const Row rows[] = {
        {"busy while Chrome shows a session", fakeStatus("active", "session-9"), "busy", false},
        {"another refusal without a session", fakeStatus("idle"), "invalid_request", false},
        {"another refusal while Chrome shows a session", fakeStatus("active", "session-9"), "invalid_request", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto starting = client().startSession(execution, page, viewport, {});
        const auto start = chrome->nextOf<Request>();
        ASSERT_TRUE(start);
        chrome->respond(start->executionID, refusal(start->request.requestID, row.status, row.code, "No tab."));
        EXPECT_EQ(failureOf(std::move(starting)), failure("No tab.", row.code));
        EXPECT_EQ(state().operationError(), "No tab.");
        EXPECT_EQ(state().executionID().has_value(), row.ownerKept);
        if (row.ownerKept) {
            auto finishing = client().finishSession(execution, chrome->connectionID());
            const auto cancel = chrome->nextOf<Cancel>();
            ASSERT_TRUE(cancel);
            chrome->respond(execution, BrowserResponse{cancel->requestID, fakeStatus("idle"), true, {}, {}});
            EXPECT_TRUE(waitBounded(std::move(finishing)));
        } else {
            chrome->sendStatus(fakeStatus("idle"), std::nullopt);
            ASSERT_TRUE(waitUntil([&] { return client().isIdle(); }));
        }
    }
}

TEST_F(BrowserSessionTest, anIncompleteStartAnswer_dropsTheConnection)
{
    struct Row
    {
        const char* name;
        BrowserStatus status;
        bool withSnapshot;
    };

    const Row rows[] = {
        {"ok but still idle", fakeStatus("idle"), false},
        {"active but without a session id", fakeStatus("active"), false},
        {"with a snapshot", fakeStatus("active", "session-1"), true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto starting = client().startSession(execution, page, viewport, {});
        const auto start = chrome->nextOf<Request>();
        ASSERT_TRUE(start);
        chrome->respond(
            start->executionID,
            answer(*start, row.status, row.withSnapshot ? std::optional(fakeSnapshot(viewport, page)) : std::nullopt));
        EXPECT_EQ(failureOf(std::move(starting)), failure(bridge_text::chromeDisconnected));
        EXPECT_EQ(state().connectionError(), browser_text::incompleteResult);
        EXPECT_EQ(state().executionID(), std::nullopt);
        EXPECT_TRUE(chrome->waitForEnd());
        chrome = world.connectSelected("profile-a");
    }
}

TEST_F(BrowserSessionTest, aStaleCapture_isRetriedTwiceAtMost)
{
    startSession();
    SCOPED_TRACE("two stale answers, then a snapshot");
    auto capturing = client().captureSnapshot(2, {});
    answerStale();
    answerStale();
    const auto third = chrome->nextOf<Request>();
    ASSERT_TRUE(third);
    const auto snapshot = fakeSnapshot(viewport, page, "snapshot-3");
    chrome->respond(third->executionID, answer(*third, fakeStatus("active", "session-1"), snapshot));
    EXPECT_EQ(waitBounded(std::move(capturing)), snapshot);

    SCOPED_TRACE("three stale answers: the third reaches the caller");
    capturing = client().captureSnapshot(2, {});
    answerStale();
    answerStale();
    answerStale(false);
    EXPECT_EQ(failureOf(std::move(capturing)), failure("Stale.", bridge_code::staleSnapshot));
    EXPECT_TRUE(chrome->isQuiet()) << "no fourth capture";

    SCOPED_TRACE("more retries allowed than two: the last stale answer is an invalid message");
    capturing = client().captureSnapshot(5, {});
    answerStale();
    answerStale();
    answerStale();
    EXPECT_EQ(failureOf(std::move(capturing)), failure(bridge_text::invalidMessage));
    EXPECT_TRUE(chrome->isQuiet());

    SCOPED_TRACE("no retries: a stale answer is passed on at once");
    capturing = client().captureSnapshot(0, {});
    answerStale(false);
    EXPECT_EQ(failureOf(std::move(capturing)), failure("Stale.", bridge_code::staleSnapshot));
    EXPECT_EQ(state().operationError(), "Stale.");
    EXPECT_TRUE(chrome->isQuiet());
}

TEST_F(BrowserSessionTest, finishSession_calledTwice_sendsOneCancel_andBothGetItsResult)
{
    startSession();
    EXPECT_FALSE(waitBounded(client().finishSession(execution, "00000000-0000-4000-8000-000000000000")))
        << "another connection";
    EXPECT_FALSE(waitBounded(client().finishSession("7A1B0D2C-3A4F-4B5E-9C7D-8E9F0A1B2C3D", chrome->connectionID())))
        << "another execution";
    EXPECT_TRUE(chrome->isQuiet());

    auto first = client().finishSession(execution, chrome->connectionID());
    auto second = client().finishSession(execution, chrome->connectionID());
    const auto cancel = chrome->nextOf<Cancel>();
    ASSERT_TRUE(cancel);
    chrome->respond(execution, BrowserResponse{cancel->requestID, fakeStatus("idle"), true, {}, {}});
    EXPECT_TRUE(waitBounded(std::move(first)));
    EXPECT_TRUE(waitBounded(std::move(second)));
    EXPECT_TRUE(chrome->isQuiet()) << "one cancel";
}

TEST_F(BrowserSessionTest, aCancelAnsweredWithCleanupFailed_finishesFalse_showingChromesReason)
{
    startSession();
    auto finishing = client().finishSession(execution, chrome->connectionID());
    const auto cancel = chrome->nextOf<Cancel>();
    ASSERT_TRUE(cancel);
    auto status = fakeStatus("cleanup_failed", "session-1");
    status.lastError = BrowserToolError{"tab_stuck", "The tab could not be closed."};
    chrome->respond(execution, BrowserResponse{cancel->requestID, status, true, {}, {}});
    EXPECT_FALSE(waitBounded(std::move(finishing)));
    EXPECT_EQ(state().operationError(), "The tab could not be closed.");
    EXPECT_EQ(state().executionID(), execution) << "until Chrome reports idle";
    EXPECT_FALSE(client().canSelectProfile());

    chrome->sendStatus(fakeStatus("idle"), execution);
    EXPECT_TRUE(waitUntil([&] { return client().isIdle(); }));
}

TEST_F(BrowserSessionTest, aCancelNeverAnswered_dropsTheConnectionAfterTwoSeconds)
{
    startSession();
    auto finishing = client().finishSession(execution, chrome->connectionID());
    ASSERT_TRUE(chrome->nextOf<Cancel>());
    world.time.advance(1999ms);
    EXPECT_FALSE(finishing.isReady());
    EXPECT_FALSE(state().connectionError());
    world.time.advance(1ms);
    EXPECT_FALSE(waitBounded(std::move(finishing)));
    EXPECT_EQ(state().connectionError(), browser_text::cleanupTimedOut);
    EXPECT_EQ(state().operationError(), bridge_text::chromeDisconnected);
    EXPECT_TRUE(chrome->waitForEnd());
    EXPECT_EQ(state().executionID(), std::nullopt);
}

TEST_F(BrowserSessionTest, cancellingTheCapturingTask_stopsTheSession_andTheCaptureFailsAsStopped)
{
    startSession();
    std::stop_source stop;
    auto capturing = client().captureSnapshot(2, stop.get_token());
    ASSERT_TRUE(chrome->nextOf<Request>());
    stop.request_stop();
    const auto cancel = chrome->nextOf<Cancel>();
    ASSERT_TRUE(cancel);
    EXPECT_EQ(cancel->executionID, execution);
    EXPECT_EQ(failureOf(std::move(capturing)), failure(browser_text::sessionStopped));
    EXPECT_EQ(state().operationError(), std::nullopt) << "left to whoever changed the session";

    chrome->respond(execution, BrowserResponse{cancel->requestID, fakeStatus("idle"), true, {}, {}});
    EXPECT_TRUE(waitUntil([&] { return client().isIdle(); }));
}

TEST_F(BrowserSessionTest, stop_whileACaptureWaitsAndChromeIsSilent_endsWithinTheWatchdog)
{
    startSession();
    auto capturing = client().captureSnapshot(2, {});
    ASSERT_TRUE(chrome->nextOf<Request>());

    auto stopping = client().stop();
    EXPECT_EQ(failureOf(std::move(capturing)), failure(browser_text::sessionStopped)) << "failed at once";
    ASSERT_TRUE(chrome->nextOf<Cancel>());
    world.time.advance(1999ms);
    EXPECT_FALSE(stopping.isReady()) << "Chrome is given two seconds";
    world.time.advance(1ms);
    waitBounded(std::move(stopping));

    EXPECT_TRUE(chrome->waitForEnd());
    EXPECT_TRUE(state().profiles().empty());
    EXPECT_EQ(state().executionID(), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(world.bundle().socketPath())) << "the listener stopped";
    EXPECT_EQ(state().operationError(), bridge_text::chromeDisconnected);

    auto second = client().stop();
    EXPECT_TRUE(second.isReady()) << "a second stop returns at once";
    waitBounded(std::move(second));
}

} // namespace
} // namespace tavlen
