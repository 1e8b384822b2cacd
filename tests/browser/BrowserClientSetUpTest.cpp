#include "BoundedWait.h"
#include "BridgeFailure.h"
#include "BrowserClientHarness.h"
#include "BrowserClientText.h"
#include "BrowserListener.h"
#include "Completion.h"
#include "MainBundle.h"
#include "TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <functional>
#include <stdexcept>

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
    EXPECT_EQ(world.state().profiles()[0], (BrowserProfile{"profile-a", "Work", true, "2.0.0", welcome.connectionID}));
    EXPECT_EQ(world.client().connectionID(), welcome.connectionID);
}

TEST(BrowserClientSetUpTest, aFailedSetUp_leavesTheConnectionUnavailable_withItsReason)
{
    const std::string restart(browser_text::restartAfterCorrecting);

    struct Row
    {
        const char* name;
        std::function<void(BrowserClientHarness&)> arrange;
        std::function<QCoro::Task<void>(BrowserRegistration)> install;
        std::string error;
    };

    auto refusing = [](std::exception_ptr failure) {
        return [failure](BrowserRegistration) -> QCoro::Task<void> {
            std::rethrow_exception(failure);
            co_return;
        };
    };
    const Row rows[] = {
        {"the manifest cannot be written",
         {},
         refusing(std::make_exception_ptr(BridgeFailure(browser_text::registrationDirectoryUnsafe))),
         std::string(browser_text::registrationDirectoryUnsafe) + restart},
        {"the manifest fails for a reason of the system",
         {},
         refusing(std::make_exception_ptr(std::runtime_error("disk on fire"))),
         std::string(browser_text::setUpFailed) + restart},
        {"the profile store cannot be read",
         [](BrowserClientHarness& world) { world.profiles.readFailure = MonitorStoreError::unsupportedSchema(); },
         {},
         MonitorStoreError::unsupportedSchema().errorDescription() + restart},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        BrowserClientHarness world(std::nullopt,
                                   [&](BrowserClient::Options& options) { options.installRegistration = row.install; });
        if (row.arrange) {
            row.arrange(world);
        }
        world.start();
        EXPECT_EQ(world.state().connectionError(), row.error);
        EXPECT_EQ(world.state().connectionState(), browser_text::unavailable);
        EXPECT_FALSE(fs::exists(world.bundle().socketPath()));
        world.client().start();
        EXPECT_FALSE(world.state().isSettingUp()) << "never retried";
    }
}

TEST(BrowserClientSetUpTest, anotherTavlenOwningTheConnection_makesItUnavailable)
{
    BrowserClientHarness world;
    BrowserListener other(world.bundle().rendezvous());
    other.start([](int fd) { ::close(fd); });
    world.start();
    EXPECT_EQ(world.state().connectionError(),
              std::string(bridge_text::connectionOwnedElsewhere) + std::string(browser_text::restartAfterCorrecting));
    EXPECT_EQ(world.state().connectionState(), browser_text::unavailable);
    other.stop();
}

TEST(BrowserClientSetUpTest, stopDuringTheSetUp_endsItQuietly_withoutAListener)
{
    Completion<void> installed;
    BrowserClientHarness world(std::nullopt, [&](BrowserClient::Options& options) {
        options.installRegistration = [&](BrowserRegistration) -> QCoro::Task<void> { co_await installed.wait(); };
    });
    world.client().start();
    ASSERT_TRUE(world.state().isSettingUp());
    auto stopping = world.client().stop();
    installed.resume();
    test::waitBounded(std::move(stopping));
    EXPECT_TRUE(test::waitUntil([&] { return !world.state().isSettingUp(); }));
    EXPECT_EQ(world.state().connectionError(), std::nullopt);
    EXPECT_FALSE(fs::exists(world.bundle().socketPath()));
    world.client().start();
    EXPECT_FALSE(world.state().isSettingUp()) << "no start after stop";
}

TEST(BrowserClientSetUpTest, resourcesLoadedWhereTheProgramStarts_serveEveryFrameAfter)
{
    BrowserClientHarness world;
    world.start();
    // From here on the resources cannot be read: a frame that read them again would be refused.
    const test::TemporaryDirectory noBundle;
    overrideMainBundleDirectory(noBundle.path());

    struct Restore
    {
        ~Restore() { overrideMainBundleDirectory(fs::path(TAVLEN_BUNDLE_DIR)); }
    } restore;

    ASSERT_FALSE(BrowserBridgeResources::load().isLoaded());

    test::FakeExtension extension;
    auto chrome = world.connect("profile-a");
    chrome->setResponder(extension.responder());
    world.select(*chrome, "profile-a");
    const BrowserCaptureSettings viewport{320, 200, 1, false};
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        const std::string execution = "6E1B0D2C-3A4F-4B5E-9C7D-8E9F0A1B2C3" + std::to_string(round);
        test::waitBounded(world.client().startSession(execution, "https://example.com/", viewport, {}));
        for (int capture = 0; capture < 3; ++capture) {
            EXPECT_EQ(test::waitBounded(world.client().captureSnapshot(2, {})).imageWidth, 320);
        }
        EXPECT_TRUE(test::waitBounded(world.client().finishSession(execution, *world.client().connectionID())));
    }
    EXPECT_TRUE(world.client().isConnected());
    EXPECT_EQ(world.state().connectionError(), std::nullopt);
}

TEST(BrowserClientSetUpTest, resourcesThatFailedToLoad_leaveTheConnectionUnavailable)
{
    const test::TemporaryDirectory noBundle;
    overrideMainBundleDirectory(noBundle.path());
    const BrowserBridgeResources failed = BrowserBridgeResources::load();
    overrideMainBundleDirectory(fs::path(TAVLEN_BUNDLE_DIR));
    ASSERT_FALSE(failed.isLoaded());
    ASSERT_NE(failed.failure(), nullptr);

    test::VirtualTime time;
    test::InMemoryBrowserProfileRepository profiles;
    const test::TestBundle bundle;
    BrowserClient::Options options;
    options.directory = bundle.rendezvous();
    options.registrations.emplace();
    BrowserClient client(profiles, time, failed, std::move(options));
    client.start();
    ASSERT_TRUE(test::waitUntil([&] { return !client.state().isSettingUp(); }));
    EXPECT_EQ(client.state().connectionError(),
              std::string(bridge_text::resourcesMissing) + std::string(browser_text::restartAfterCorrecting));
    EXPECT_EQ(client.state().connectionState(), browser_text::unavailable);
    EXPECT_FALSE(fs::exists(bundle.socketPath()));
}

} // namespace
} // namespace tavlen
