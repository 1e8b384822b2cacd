#include "BrowserClientHarness.h"

#include "BoundedWait.h"
#include "BridgeFailure.h"
#include "BrowserClientText.h"
#include "BrowserListener.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tavlen {
namespace {

namespace fs = std::filesystem;
using test::BrowserClientHarness;

TEST(BrowserClientSetUpTest, start_writesTheManifestReadsTheChoiceAndListens)
{
    BrowserClientHarness world("profile-a");
    EXPECT_EQ(world.state().connectionState(), browser_text::preparing);
    world.start();

    EXPECT_TRUE(fs::exists(world.manifestDirectory() / "org.tavlen.browser_host.json"));
    EXPECT_EQ(world.state().selectedProfileID(), "profile-a");
    EXPECT_EQ(world.state().connectionState(), browser_text::waiting);
    EXPECT_EQ(world.state().connectionError(), std::nullopt);
    EXPECT_TRUE(fs::exists(world.bundle().socketPath()));
}

TEST(BrowserClientSetUpTest, hello_withTheStoredChoice_isWelcomedAsSelectedAndConnects)
{
    BrowserClientHarness world("profile-a");
    world.start();
    auto chrome = std::make_unique<test::FakeChrome>(world.bundle());
    const auto welcome = chrome->hello("profile-a", "Work", "2.0.0");
    EXPECT_TRUE(welcome.selected);
    EXPECT_EQ(welcome.version, "0.1.0");
    ASSERT_TRUE(test::waitUntil([&] { return world.client().isConnected(); }));
    EXPECT_EQ(world.state().connectionState(), browser_text::connected);
    ASSERT_EQ(world.state().profiles().size(), 1u);
    EXPECT_EQ(world.state().profiles()[0],
              (BrowserProfile{"profile-a", "Work", true, "2.0.0", welcome.connectionID}));
    EXPECT_EQ(world.client().connectionID(), welcome.connectionID);
}

} // namespace
} // namespace tavlen
