#include "BrowserClientHarness.h"

#include "BoundedWait.h"
#include "BridgeFailure.h"
#include "BrowserClientText.h"
#include "CancelledError.h"

#include <gtest/gtest.h>

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
constexpr const char* otherExecution = "7A1B0D2C-3A4F-4B5E-9C7D-8E9F0A1B2C3D";
constexpr const char* page = "https://example.com/prices";
const BrowserCaptureSettings viewport{320, 200, 1, false};

template <class T> std::string failureOf(QCoro::Task<T> task)
{
    try {
        waitBounded(std::move(task));
    } catch (const BridgeFailure& failure) {
        return failure.message() + (failure.code() ? "|" + *failure.code() : "");
    } catch (const CancelledError&) {
        return "cancelled";
    }
    return "";
}

BrowserResponse answer(const std::string& requestID, BrowserStatus status, std::optional<BrowserSnapshot> snapshot = {})
{
    return {requestID, std::move(status), true, std::move(snapshot), std::nullopt};
}

BrowserStatus ending(const std::string& state, std::optional<BrowserToolError> lastError)
{
    auto status = fakeStatus(state, "session-1");
    status.lastError = std::move(lastError);
    return status;
}

class BrowserCommandsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        world.start();
        chrome = world.connectSelected("profile-a");
    }

    BrowserClient& client() { return world.client(); }
    const BrowserClientState& state() { return world.state(); }

    void startSession()
    {
        auto starting = client().startSession(execution, page, viewport, {});
        const auto start = chrome->nextOf<Request>();
        ASSERT_TRUE(start);
        chrome->respond(execution, answer(start->request.requestID, fakeStatus("active", "session-1")));
        waitBounded(std::move(starting));
    }

    // Starts a capture and gives the request it sent.
    std::optional<Request> beginCapture(QCoro::Task<BrowserSnapshot>& capturing)
    {
        capturing = client().captureSnapshot(2, {});
        return chrome->nextOf<Request>();
    }

    BrowserClientHarness world;
    std::unique_ptr<FakeChrome> chrome;
};

TEST_F(BrowserCommandsTest, commandsOfAConnection_carryIncreasingSequenceNumbers_sharedWithCancels)
{
    // The selection's status request was number 1.
    auto starting = client().startSession(execution, page, viewport, {});
    const auto start = chrome->nextOf<Request>();
    ASSERT_TRUE(start);
    EXPECT_EQ(start->sequence, 2);
    chrome->respond(execution, answer(start->request.requestID, fakeStatus("active", "session-1")));
    waitBounded(std::move(starting));

    auto finishing = client().finishSession(execution, chrome->connectionID());
    const auto cancel = chrome->nextOf<Cancel>();
    ASSERT_TRUE(cancel);
    EXPECT_EQ(cancel->sequence, 3);
    chrome->respond(execution, answer(cancel->requestID, fakeStatus("idle")));
    EXPECT_TRUE(waitBounded(std::move(finishing)));

    starting = client().startSession(otherExecution, page, viewport, {});
    const auto next = chrome->nextOf<Request>();
    ASSERT_TRUE(next);
    EXPECT_EQ(next->sequence, 4);
    chrome->respond(otherExecution, answer(next->request.requestID, fakeStatus("active", "session-2")));
    waitBounded(std::move(starting));
}

TEST_F(BrowserCommandsTest, answersThatMatchNoWaitingCommand_changeNothing)
{
    startSession();
    auto other = world.connect("profile-b", "Other");
    QCoro::Task<BrowserSnapshot> capturing;
    const auto capture = beginCapture(capturing);
    ASSERT_TRUE(capture);
    const auto snapshot = fakeSnapshot(viewport, page);
    const auto good = answer(capture->request.requestID, fakeStatus("active", "session-1"), snapshot);

    chrome->respond(execution, answer("D1C2B3A4-5E6F-4A7B-8C9D-0E1F2A3B4C5D", fakeStatus("active", "session-1"), snapshot));
    chrome->respond(otherExecution, good);
    other->respond(execution, good);
    chrome->respond(execution, BrowserResponse{std::nullopt, fakeStatus("active", "session-1"), true, snapshot, {}});
    // A ping sent after them comes back only once they have all been handled.
    chrome->send(BrowserMessage{BrowserMessage::Ping{chrome->connectionID()}});
    ASSERT_TRUE(chrome->nextOf<BrowserMessage::Pong>());
    EXPECT_FALSE(capturing.isReady()) << "still waiting";
    EXPECT_FALSE(other->hasEnded());

    chrome->respond(execution, good);
    EXPECT_EQ(waitBounded(std::move(capturing)), snapshot);
}

TEST_F(BrowserCommandsTest, anAnswerForAnotherSession_dropsTheConnection)
{
    startSession();
    QCoro::Task<BrowserSnapshot> capturing;
    const auto capture = beginCapture(capturing);
    ASSERT_TRUE(capture);
    chrome->respond(execution,
                    answer(capture->request.requestID, fakeStatus("active", "session-2"), fakeSnapshot(viewport, page)));
    EXPECT_EQ(failureOf(std::move(capturing)), bridge_text::chromeDisconnected);
    EXPECT_EQ(state().connectionError(), browser_text::foreignSession);
    EXPECT_EQ(state().executionID(), std::nullopt);
    EXPECT_TRUE(chrome->waitForEnd());
}

TEST_F(BrowserCommandsTest, aStatusNamingAnotherSessionWhileOneIsOwned_dropsTheConnection)
{
    startSession();
    chrome->sendStatus(fakeStatus("active", "session-2"), execution);
    EXPECT_TRUE(chrome->waitForEnd());
    EXPECT_EQ(state().connectionError(), browser_text::sessionChanged);
    EXPECT_EQ(state().executionID(), std::nullopt);
    EXPECT_EQ(state().status(), state().initialStatus());
}

TEST_F(BrowserCommandsTest, aStatusOfAnotherExecution_changesNothing)
{
    BrowserClientHarness fresh("profile-a");
    fresh.start();
    auto connected = fresh.connect("profile-a");
    connected->sendStatus(fakeStatus("active", "session-1"), otherExecution);
    connected->send(BrowserMessage{BrowserMessage::Ping{connected->connectionID()}});
    ASSERT_TRUE(connected->nextOf<BrowserMessage::Pong>());
    EXPECT_FALSE(fresh.state().hasSelectedStatus());
    EXPECT_EQ(fresh.state().status(), fresh.state().initialStatus());

    connected->sendStatus(fakeStatus("idle"), std::nullopt);
    EXPECT_TRUE(waitUntil([&] { return fresh.state().hasSelectedStatus(); }));
}

TEST_F(BrowserCommandsTest, chromeEndingTheSession_failsTheWaitingCaptureWithItsReason)
{
    struct Row
    {
        const char* name;
        BrowserStatus status;
        const char* failure;
    };

    const Row rows[] = {
        {"stopping with a reason", ending("stopping", BrowserToolError{"closed", "The tab was closed."}),
         "The tab was closed."},
        {"stopping without a reason", ending("stopping", std::nullopt), "Browser session ended."},
        {"a last error with code stopped while active",
         ending("active", BrowserToolError{"stopped", "Chrome stopped the session."}),
         "Chrome stopped the session."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        startSession();
        QCoro::Task<BrowserSnapshot> capturing;
        ASSERT_TRUE(beginCapture(capturing));
        chrome->sendStatus(row.status, execution);
        EXPECT_EQ(failureOf(std::move(capturing)), row.failure);
        EXPECT_FALSE(state().working());
        EXPECT_EQ(state().executionID(), execution) << "until Chrome reports idle";
        EXPECT_FALSE(client().isIdle());
        EXPECT_EQ(failureOf(client().captureSnapshot(2, {})), "cancelled") << "the session has ended";

        chrome->sendStatus(fakeStatus("idle"), execution);
        ASSERT_TRUE(waitUntil([&] { return client().isIdle(); }));
    }
}

TEST_F(BrowserCommandsTest, aStoppedStateWithoutReason_onlyReplacesTheStatus)
{
    startSession();
    QCoro::Task<BrowserSnapshot> capturing;
    const auto capture = beginCapture(capturing);
    ASSERT_TRUE(capture);
    chrome->sendStatus(fakeStatus("stopped", "session-1"), execution);
    ASSERT_TRUE(waitUntil([&] { return state().status().state == "stopped"; }));
    EXPECT_TRUE(state().working());
    EXPECT_EQ(state().executionID(), execution);

    chrome->respond(execution, answer(capture->request.requestID, fakeStatus("active", "session-1"),
                                      fakeSnapshot(viewport, page)));
    EXPECT_EQ(failureOf(std::move(capturing)), "");
}

TEST_F(BrowserCommandsTest, anIdleStatusFromBeforeTheStart_doesNotReleaseTheOwner)
{
    auto starting = client().startSession(execution, page, viewport, {});
    const auto start = chrome->nextOf<Request>();
    ASSERT_TRUE(start);
    chrome->sendStatus(fakeStatus("idle"), execution);
    chrome->send(BrowserMessage{BrowserMessage::Ping{chrome->connectionID()}});
    ASSERT_TRUE(chrome->nextOf<BrowserMessage::Pong>());
    EXPECT_EQ(state().executionID(), execution);

    chrome->respond(execution, answer(start->request.requestID, fakeStatus("active", "session-1")));
    waitBounded(std::move(starting));
    chrome->sendStatus(fakeStatus("idle"), execution);
    EXPECT_TRUE(waitUntil([&] { return !state().executionID(); }));
}

TEST_F(BrowserCommandsTest, selectProfile_announcesTheChoiceToEveryConnection_andWaitsForTheStatus)
{
    auto other = world.connect("profile-b", "Other");
    waitBounded(client().selectProfile("profile-b"));
    EXPECT_EQ(world.profiles.stored, "profile-b");
    EXPECT_EQ(state().selectedProfileID(), "profile-b");
    EXPECT_TRUE(state().checkingStatus());
    EXPECT_FALSE(client().isIdle());
    EXPECT_FALSE(client().canSelectProfile());

    const auto toChosen = other->nextOf<BrowserMessage::Selection>();
    const auto toFormer = chrome->nextOf<BrowserMessage::Selection>();
    ASSERT_TRUE(toChosen && toFormer);
    EXPECT_TRUE(toChosen->selected);
    EXPECT_FALSE(toFormer->selected);
    const auto status = other->nextOf<Request>();
    ASSERT_TRUE(status);
    EXPECT_EQ(status->request.command, BrowserCommand::status);
    EXPECT_EQ(status->executionID, std::nullopt);
    EXPECT_FALSE(client().isIdle());

    other->respond(std::nullopt, answer(status->request.requestID, fakeStatus("idle")));
    EXPECT_TRUE(waitUntil([&] { return client().isIdle(); }));
    EXPECT_EQ(state().connectionState(), browser_text::connected);
    EXPECT_TRUE(client().canSelectProfile());
}

TEST_F(BrowserCommandsTest, selectProfile_thatCannotBeSavedOrMade_changesNothing)
{
    auto other = world.connect("profile-b", "Other");
    SCOPED_TRACE("a profile that is not listed");
    waitBounded(client().selectProfile("profile-z"));
    EXPECT_EQ(state().selectedProfileID(), "profile-a");

    SCOPED_TRACE("while a session is active");
    startSession();
    waitBounded(client().selectProfile("profile-b"));
    EXPECT_EQ(state().selectedProfileID(), "profile-a");
    EXPECT_FALSE(state().isSelectingProfile());
    auto finishing = client().finishSession(execution, chrome->connectionID());
    const auto cancel = chrome->nextOf<Cancel>();
    ASSERT_TRUE(cancel);
    chrome->respond(execution, answer(cancel->requestID, fakeStatus("idle")));
    ASSERT_TRUE(waitBounded(std::move(finishing)));

    SCOPED_TRACE("the store refuses");
    world.profiles.writeFailure = MonitorStoreError::busy();
    waitBounded(client().selectProfile("profile-b"));
    EXPECT_EQ(state().selectedProfileID(), "profile-a");
    EXPECT_EQ(state().selectionError(),
              std::string(browser_text::profileNotSaved) + MonitorStoreError::busy().errorDescription());
    EXPECT_FALSE(state().isSelectingProfile());
    ASSERT_EQ(state().profiles().size(), 2u);
    EXPECT_EQ(state().profiles().at(1).id, "profile-a");
    EXPECT_TRUE(state().profiles().at(1).selected);
    EXPECT_TRUE(other->isQuiet());
}

TEST_F(BrowserCommandsTest, isIdle_needsTheSelectedConnectionHeardFromWithinThirtySeconds)
{
    ASSERT_TRUE(client().isIdle());
    world.clock.advance(29s + 999ms);
    EXPECT_TRUE(client().isIdle());
    world.clock.advance(1ms);
    EXPECT_FALSE(client().isIdle()) << "exactly 30 seconds";
}

} // namespace
} // namespace tavlen
