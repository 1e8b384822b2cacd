#include "BoundedWait.h"
#include "BridgeFailure.h"
#include "BrowserClientHarness.h"
#include "BrowserClientText.h"

#include <gtest/gtest.h>

namespace tavlen {
namespace {

using namespace std::chrono_literals;
using test::BrowserClientHarness;
using test::FakeChrome;
using test::waitBounded;
using test::waitUntil;
using Route = FakeChrome::Route;

// The one-second timer, in virtual time: silences, pings and command deadlines.
class BrowserTimerTest : public ::testing::Test
{
protected:
    void SetUp() override { world.start(); }

    // Answers the ping that must have come with a pong, then makes sure the client has handled it: a ping of
    // our own is answered only after everything sent before it.
    void answerPing(FakeChrome& chrome)
    {
        const auto ping = chrome.nextOf<BrowserMessage::Ping>();
        ASSERT_TRUE(ping);
        EXPECT_EQ(ping->connectionID, chrome.connectionID());
        chrome.send(BrowserMessage{BrowserMessage::Pong{chrome.connectionID()}});
        chrome.send(BrowserMessage{BrowserMessage::Ping{chrome.connectionID()}});
        ASSERT_TRUE(chrome.nextOf<BrowserMessage::Pong>());
    }

    BrowserClientHarness world;
};

TEST_F(BrowserTimerTest, aConnectionThatNeverSaysHello_isDroppedAtTheFirstTickAfterFiveSeconds)
{
    FakeChrome silent(world.bundle(), Route::straightToSocket);
    // Connections are taken in order: once the later one is welcomed, the silent one is registered.
    FakeChrome later(world.bundle(), Route::straightToSocket);
    later.setAnswersPings(false);
    later.hello("profile-a");

    world.time.advance(4999ms);
    EXPECT_EQ(world.state().connectionError(), std::nullopt);
    world.time.advance(1ms);
    EXPECT_EQ(world.state().connectionError(), browser_text::connectionTimedOut);
    EXPECT_TRUE(silent.waitForEnd());
    EXPECT_FALSE(later.hasEnded());
    EXPECT_EQ(world.state().profiles().size(), 1u) << "the silent one was never listed";
}

TEST_F(BrowserTimerTest, anIdentifiedConnection_isPingedEveryTenSeconds_andDropped30SecondsAfterItsLastMessage)
{
    auto chrome = world.connect("profile-a");
    chrome->setAnswersPings(false);
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        world.time.advance(9999ms);
        EXPECT_TRUE(chrome->isQuiet()) << "no ping before ten seconds";
        world.time.advance(1ms);
        answerPing(*chrome);
    }
    EXPECT_EQ(world.state().connectionError(), std::nullopt) << "a minute of pongs keeps it connected";

    world.time.advance(29999ms);
    EXPECT_TRUE(chrome->nextOf<BrowserMessage::Ping>());
    EXPECT_TRUE(chrome->nextOf<BrowserMessage::Ping>());
    EXPECT_EQ(world.state().connectionError(), std::nullopt);
    world.time.advance(1ms);
    EXPECT_EQ(world.state().connectionError(), browser_text::connectionTimedOut);
    EXPECT_TRUE(chrome->waitForEnd());
    EXPECT_TRUE(world.state().profiles().empty());
}

TEST_F(BrowserTimerTest, aCommandAnsweredLate_failsAtItsDeadline_andDropsTheConnection)
{
    auto chrome = world.connectSelected("profile-a");
    chrome->setAnswersPings(false);
    const std::string execution = "6E1B0D2C-3A4F-4B5E-9C7D-8E9F0A1B2C3D";
    auto starting = world.client().startSession(execution, "https://example.com", std::nullopt, {});
    const auto start = chrome->nextOf<BrowserMessage::Request>();
    ASSERT_TRUE(start);
    for (int round = 0; round < 3; ++round) {
        world.time.advance(10s);
        answerPing(*chrome);
    }
    world.time.advance(4999ms);
    EXPECT_FALSE(starting.isReady()) << "still within 35 seconds";
    EXPECT_EQ(world.state().connectionError(), std::nullopt);

    world.time.advance(1ms);
    EXPECT_EQ(world.state().connectionError(), browser_text::responseTimedOut);
    try {
        waitBounded(std::move(starting));
        ADD_FAILURE() << "the start succeeded";
    } catch (const BridgeFailure& failure) {
        EXPECT_EQ(failure.message(), bridge_text::chromeDisconnected);
    }
    EXPECT_EQ(world.state().executionID(), std::nullopt);
    EXPECT_EQ(world.state().status(), world.state().initialStatus());
    EXPECT_TRUE(chrome->waitForEnd());

    SCOPED_TRACE("the same profile connects again");
    auto again = world.connect("profile-a");
    EXPECT_TRUE(world.client().isConnected());
    EXPECT_EQ(world.state().connectionError(), std::nullopt) << "cleared by the selected profile's hello";
}

} // namespace
} // namespace tavlen
