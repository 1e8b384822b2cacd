#include "AppUpdater.h"
#include "Base64.h"
#include "BoundedWait.h"
#include "EventLoopTest.h"

#include <gtest/gtest.h>

#include <thread>

namespace tavlen::test {
namespace {

const std::string key32 = base64Encode(std::string(32, 'k'));

nlohmann::json completeInfo()
{
    return {{"CFBundleShortVersionString", "1.2.3"},
            {"TavlenUpdatesEnabled", "YES"},
            {"TavlenUpdateFeedURL", "https://updates.example.org/feed.xml"},
            {"TavlenUpdatePublicKey", key32}};
}

TEST(UpdateConfigurationTest, AnyFlawSwitchesUpdatesOff)
{
    struct Case
    {
        const char* name;
        const char* key;
        nlohmann::json value; // null removes the key
        bool isTesting;
        bool enabled;
    };

    const Case cases[] = {
        {"complete", "TavlenUpdatesEnabled", "YES", false, true},
        {"under the tests", "TavlenUpdatesEnabled", "YES", true, false},
        {"lower-case yes", "TavlenUpdatesEnabled", "yes", false, false},
        {"a Boolean", "TavlenUpdatesEnabled", true, false, false},
        {"not enabled", "TavlenUpdatesEnabled", nullptr, false, false},
        {"plain http", "TavlenUpdateFeedURL", "http://updates.example.org/feed.xml", false, false},
        {"scheme in capitals", "TavlenUpdateFeedURL", "HTTPS://updates.example.org/feed.xml", false, false},
        {"no host", "TavlenUpdateFeedURL", "https:/feed.xml", false, false},
        {"not a URL", "TavlenUpdateFeedURL", "https://exa mple.org/", false, false},
        {"no feed", "TavlenUpdateFeedURL", nullptr, false, false},
        {"31-byte key", "TavlenUpdatePublicKey", base64Encode(std::string(31, 'k')), false, false},
        {"33-byte key", "TavlenUpdatePublicKey", base64Encode(std::string(33, 'k')), false, false},
        {"not base64", "TavlenUpdatePublicKey", key32.substr(1), false, false},
        {"no key", "TavlenUpdatePublicKey", nullptr, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto info = completeInfo();
        c.value.is_null() ? void(info.erase(c.key)) : void(info[c.key] = c.value);
        const auto configuration = UpdateConfiguration::fromInfoDictionary(info, c.isTesting);
        EXPECT_EQ(configuration.enabled, c.enabled);
        EXPECT_EQ(configuration.version, "1.2.3");
    }
}

TEST(UpdateConfigurationTest, TheVersionFallsBackToDevelopment)
{
    EXPECT_EQ(UpdateConfiguration::fromInfoDictionary(nlohmann::json::object(), false).version, "Development");
    EXPECT_EQ(UpdateConfiguration::fromInfoDictionary({{"CFBundleShortVersionString", 2}}, false).version,
              "Development");
    EXPECT_EQ(UpdateConfiguration::fromInfoDictionary(nlohmann::json::array(), false),
              (UpdateConfiguration{false, "Development"}));
}

// Delivers flags from a thread of its own, as a framework may; counts what it is asked.
class ThreadedController final : public UpdaterController
{
public:
    void observeCanCheckForUpdates(FlagObserver observer) override { canCheck = std::move(observer); }

    void observeAutomaticallyChecksForUpdates(FlagObserver observer) override { automatic = std::move(observer); }

    void setAutomaticallyChecksForUpdates(bool value) override { deliver(automatic, value); }

    void startUpdater() override { ++starts; }

    void checkForUpdates() override { ++checks; }

    void deliver(const FlagObserver& observer, std::optional<bool> value)
    {
        std::thread([&] { observer(value); }).join();
    }

    FlagObserver canCheck;
    FlagObserver automatic;
    int starts = 0;
    int checks = 0;
};

class AppUpdaterTest : public EventLoopTest
{};

TEST_F(AppUpdaterTest, DisabledUpdatesNeverCreateTheController)
{
    bool created = false;
    AppUpdater updater(completeInfo(), true, [&] {
        created = true;
        return std::make_unique<ThreadedController>();
    });
    EXPECT_FALSE(created);
    EXPECT_FALSE(updater.hasController());
    updater.checkForUpdates();
    updater.setAutomaticallyChecksForUpdates(true);
    EXPECT_FALSE(updater.canCheckForUpdates());
    EXPECT_FALSE(updater.automaticallyChecksForUpdates());
}

TEST_F(AppUpdaterTest, MirrorsTheControllersFlagsOnTheMainThread)
{
    ThreadedController* controller = nullptr;
    AppUpdater updater(completeInfo(), false, [&] {
        auto made = std::make_unique<ThreadedController>();
        controller = made.get();
        return made;
    });
    ASSERT_NE(controller, nullptr);
    EXPECT_EQ(controller->starts, 1);

    updater.checkForUpdates();
    EXPECT_EQ(controller->checks, 0);

    controller->deliver(controller->canCheck, true);
    EXPECT_FALSE(updater.canCheckForUpdates()) << "a delivery lands only after its hop to the main thread";
    EXPECT_TRUE(waitUntil([&] { return updater.canCheckForUpdates(); }));
    updater.checkForUpdates();
    EXPECT_EQ(controller->checks, 1);

    updater.setAutomaticallyChecksForUpdates(true);
    EXPECT_TRUE(waitUntil([&] { return updater.automaticallyChecksForUpdates(); }));
    controller->deliver(controller->automatic, std::nullopt);
    EXPECT_TRUE(waitUntil([&] { return !updater.automaticallyChecksForUpdates(); }));
}

} // namespace
} // namespace tavlen::test
