#include "BrowserClientHarness.h"

#include "BoundedWait.h"
#include "BrowserClientText.h"

#include <gtest/gtest.h>

namespace tavlen {
namespace {

using test::BrowserClientHarness;
using test::FakeChrome;
using test::waitUntil;
using Route = FakeChrome::Route;

std::vector<std::string> listedNames(const BrowserClientState& state)
{
    std::vector<std::string> names;
    for (const auto& profile : state.profiles()) {
        names.push_back(profile.profileName);
    }
    return names;
}

class BrowserConnectionsTest : public ::testing::Test
{
protected:
    void SetUp() override { world.start(); }

    // A connection straight to the socket that sends a frame no host would relay; Tavlen drops it with the text.
    void refuseInvalidFrame()
    {
        FakeChrome raw(world.bundle(), Route::straightToSocket);
        raw.sendFrame("{\"v\":1,\"type\":\"hello\"");
        ASSERT_TRUE(raw.waitForEnd());
        ASSERT_TRUE(waitUntil([&] { return world.state().connectionError().has_value(); }));
    }

    BrowserClientHarness world;
};

TEST_F(BrowserConnectionsTest, frameThatFailsTheCheck_dropsTheConnectionWithTheIncompatibleText)
{
    refuseInvalidFrame();
    EXPECT_EQ(world.state().connectionError(), browser_text::incompatibleConnection);
    EXPECT_EQ(world.state().errorMessage(), browser_text::incompatibleConnection);
    EXPECT_TRUE(world.state().profiles().empty());
}

TEST_F(BrowserConnectionsTest, secondHello_dropsTheConnectionWithoutText)
{
    refuseInvalidFrame();
    auto chrome = world.connect("profile-a");
    chrome->send(BrowserMessage{BrowserMessage::Hello{"profile-a", "Work", "1.0.0"}});

    EXPECT_TRUE(chrome->waitForEnd());
    EXPECT_TRUE(waitUntil([&] { return world.state().profiles().empty(); }));
    EXPECT_EQ(world.state().connectionError(), browser_text::incompatibleConnection) << "left as it was";
    EXPECT_EQ(world.state().connectionState(), browser_text::waiting);
}

TEST_F(BrowserConnectionsTest, misuseByAConnection_dropsItWithoutTextAndLeavesTheOthers)
{
    auto bystander = world.connect("profile-b", "Bystander");
    struct Row
    {
        const char* name;
        Route route;
        bool identify;
        std::function<BrowserMessage(const FakeChrome& sender)> message;
    };

    const Row rows[] = {
        {"a ping before hello", Route::throughHost, false, [](const FakeChrome&) {
             return BrowserMessage{BrowserMessage::Ping{"9F2C4E1A-7B3D-4C5E-8A6F-0D1E2F3A4B5C"}};
         }},
        {"a status before hello", Route::throughHost, false, [](const FakeChrome&) {
             return BrowserMessage{BrowserMessage::Status{
                 "9F2C4E1A-7B3D-4C5E-8A6F-0D1E2F3A4B5C", std::nullopt, test::fakeStatus("idle")}};
         }},
        {"a ping carrying another connection's id", Route::throughHost, true, [&](const FakeChrome&) {
             return BrowserMessage{BrowserMessage::Ping{bystander->connectionID()}};
         }},
        {"a kind that only travels towards Chrome", Route::straightToSocket, true, [](const FakeChrome& sender) {
             return BrowserMessage{BrowserMessage::Welcome{sender.connectionID(), "1.0.0", false}};
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeChrome sender(world.bundle(), row.route);
        if (row.identify) {
            sender.hello("profile-" + std::string(row.name), "Sender");
        }
        sender.send(row.message(sender));
        EXPECT_TRUE(sender.waitForEnd());
        EXPECT_TRUE(sender.isQuiet()) << "no answer";
        EXPECT_TRUE(waitUntil([&] { return world.state().profiles().size() == 1; }));
        EXPECT_EQ(world.state().connectionError(), std::nullopt);
    }
    EXPECT_EQ(listedNames(world.state()), std::vector<std::string>{"Bystander"});
    EXPECT_FALSE(bystander->hasEnded());
}

TEST_F(BrowserConnectionsTest, ping_isAnsweredWithAPongOnTheSameConnection)
{
    auto chrome = world.connect("profile-a");
    chrome->send(BrowserMessage{BrowserMessage::Ping{chrome->connectionID()}});
    const auto pong = chrome->nextOf<BrowserMessage::Pong>();
    ASSERT_TRUE(pong);
    EXPECT_EQ(pong->connectionID, chrome->connectionID());
}

TEST_F(BrowserConnectionsTest, twoConnectionsWithOneIdentity_areBothDropped_andTheIdentityStaysRefused)
{
    auto first = world.connect("profile-a", "First");
    FakeChrome second(world.bundle());
    second.send(BrowserMessage{BrowserMessage::Hello{"profile-a", "Second", "1.0.0"}});

    EXPECT_TRUE(first->waitForEnd());
    EXPECT_TRUE(second.waitForEnd());
    EXPECT_TRUE(waitUntil([&] { return world.state().profiles().empty(); }));
    EXPECT_EQ(world.state().connectionError(), browser_text::duplicateIdentity);

    FakeChrome third(world.bundle());
    third.send(BrowserMessage{BrowserMessage::Hello{"profile-a", "Third", "1.0.0"}});
    EXPECT_TRUE(third.waitForEnd());
    EXPECT_TRUE(waitUntil([&] { return world.state().connectionError() == browser_text::conflictedIdentity; }));

    auto other = world.connect("profile-b", "Other");
    EXPECT_EQ(listedNames(world.state()), std::vector<std::string>{"Other"});
}

TEST_F(BrowserConnectionsTest, ninthConnection_isClosedAtOnce_untilOneOfTheEightDrops)
{
    std::vector<std::unique_ptr<FakeChrome>> eight;
    for (int i = 0; i < 8; ++i) {
        eight.push_back(world.connect("profile-" + std::to_string(i), "Profile " + std::to_string(i)));
    }
    FakeChrome ninth(world.bundle());
    ninth.send(BrowserMessage{BrowserMessage::Hello{"profile-9", "Ninth", "1.0.0"}});
    EXPECT_TRUE(ninth.waitForEnd());
    EXPECT_TRUE(ninth.isQuiet()) << "never welcomed";
    EXPECT_EQ(world.state().profiles().size(), 8u);

    eight.front()->send(BrowserMessage{BrowserMessage::Hello{"profile-0", "Again", "1.0.0"}});
    EXPECT_TRUE(eight.front()->waitForEnd());
    EXPECT_TRUE(waitUntil([&] { return world.state().profiles().size() == 7; }));
    auto replacement = world.connect("profile-10", "Replacement");
    EXPECT_EQ(world.state().profiles().size(), 8u);
}

TEST_F(BrowserConnectionsTest, profiles_areListedByName_upperCaseBeforeLowerCase)
{
    auto b = world.connect("profile-1", "b");
    auto upperA = world.connect("profile-2", "A");
    auto lowerA = world.connect("profile-3", "a");
    EXPECT_EQ(listedNames(world.state()), (std::vector<std::string>{"A", "a", "b"}));
    for (const auto& profile : world.state().profiles()) {
        EXPECT_FALSE(profile.selected);
    }
}

TEST_F(BrowserConnectionsTest, helloWithoutAStoredChoice_isNotSelected_andAsksForAChoice)
{
    FakeChrome chrome(world.bundle());
    EXPECT_FALSE(chrome.hello("profile-a").selected);
    ASSERT_TRUE(waitUntil([&] { return !world.state().profiles().empty(); }));
    EXPECT_EQ(world.state().connectionState(), browser_text::selectProfile);
    EXPECT_FALSE(world.client().isConnected());
    EXPECT_EQ(world.client().connectionID(), std::nullopt);
}

} // namespace
} // namespace tavlen
