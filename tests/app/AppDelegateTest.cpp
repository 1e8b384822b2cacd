#include "AppDelegate.h"

#include "CommandLine.h"
#include "OpenURL.h"

#include <gtest/gtest.h>

namespace tavlen::test {
namespace {

TEST(OpenURLTest, OnlyTavlenOpenWithoutQueryOrFragmentIsAccepted)
{
    const std::pair<const char*, bool> cases[] = {
        {"tavlen://open", true},
        {"tavlen://open/", true},
        {"tavlen://open/monitors/42", true},
        {"tavlen://open?monitor=42", false},
        {"tavlen://open#top", false},
        {"tavlen://open/?", false},
        {"TAVLEN://open", false},
        {"tavlen://OPEN", false},
        {"tavlen://settings", false},
        {"tavlen:open", false},
        {"https://open", false},
        {"tavlen://", false},
        {"open", false},
        {"tavlen://open/a b", false},
    };
    for (const auto& [url, accepted] : cases) {
        SCOPED_TRACE(url);
        EXPECT_EQ(isOpenURL(url), accepted);
    }
}

TEST(AppDelegateTest, URLsAreWalkedUntilTheFirstAcceptedOne)
{
    const std::pair<std::vector<std::string>, int> cases[] = {
        {{}, 0},
        {{"https://example.org", "tavlen://open?x"}, 0},
        {{"tavlen://settings", "tavlen://open", "tavlen://open/again"}, 1},
    };
    for (const auto& [urls, requests] : cases) {
        SCOPED_TRACE(::testing::Message() << urls.size() << " URLs");
        AppDelegate delegate;
        delegate.setActivationPolicy(ActivationPolicy::accessory);
        int published = 0;
        QObject::connect(&delegate, &AppDelegate::mainWindowOpenRequestChanged, [&] { ++published; });
        delegate.openURLs(urls);
        EXPECT_EQ(published, requests);
        EXPECT_EQ(delegate.hasRequestedMainWindow(), requests > 0);
        EXPECT_EQ(delegate.activationPolicy(), requests > 0 ? ActivationPolicy::regular : ActivationPolicy::accessory);
    }
}

TEST(AppDelegateTest, ALoginStartStaysInTheTrayUnlessTheWindowWasAskedFor)
{
    struct Case
    {
        const char* name;
        bool atLogin;
        bool requestedBefore;
        ActivationPolicy policy;
        bool opens;
    };

    const Case cases[] = {
        {"normal start", false, false, ActivationPolicy::regular, true},
        {"login start", true, false, ActivationPolicy::accessory, false},
        {"login start after a URL", true, true, ActivationPolicy::regular, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AppDelegate delegate;
        std::vector<std::string> calls;
        delegate.startServices = [&] { calls.push_back("start"); };
        delegate.refreshLoginItem = [&] { calls.push_back("refresh"); };
        if (c.requestedBefore) {
            delegate.openURLs({"tavlen://open"});
            ASSERT_TRUE(delegate.consumeMainWindowOpenRequest());
        }
        delegate.applicationDidFinishLaunching(c.atLogin);
        delegate.applicationDidFinishLaunching(c.atLogin);
        EXPECT_EQ(calls, (std::vector<std::string>{"start", "refresh"}));
        EXPECT_EQ(delegate.activationPolicy(), c.policy);
        EXPECT_EQ(delegate.mainWindowOpenRequest().has_value(), c.opens);
        EXPECT_EQ(delegate.consumeMainWindowOpenRequest(), c.opens);
        EXPECT_FALSE(delegate.consumeMainWindowOpenRequest());
    }
}

TEST(AppDelegateTest, EveryRequestIsANewOneAndBecomingActiveRefreshesTheLoginItem)
{
    AppDelegate delegate;
    int refreshes = 0;
    delegate.refreshLoginItem = [&] { ++refreshes; };
    delegate.requestMainWindow();
    const auto first = delegate.mainWindowOpenRequest();
    delegate.applicationShouldHandleReopen();
    ASSERT_TRUE(first && delegate.mainWindowOpenRequest());
    EXPECT_NE(*first, *delegate.mainWindowOpenRequest());
    delegate.applicationDidBecomeActive();
    delegate.applicationDidBecomeActive();
    EXPECT_EQ(refreshes, 2);
}

TEST(CommandLineTest, AcceptsTheLoginFlagAndOneURL)
{
    using Result = std::variant<CommandLine, std::string>;
    const std::string usage = CommandLine::usage;
    const std::pair<std::vector<std::string>, Result> cases[] = {
        {{}, CommandLine{}},
        {{"--launched-at-login"}, CommandLine{true, std::nullopt}},
        {{"tavlen://open"}, CommandLine{false, "tavlen://open"}},
        {{"tavlen://open", "--launched-at-login"}, CommandLine{true, "tavlen://open"}},
        {{"--launched-at-login", "--launched-at-login"}, usage},
        {{"tavlen://open", "tavlen://open"}, usage},
        {{"--help"}, usage},
        {{"-x"}, usage},
        {{""}, usage},
    };
    for (const auto& [arguments, expected] : cases) {
        SCOPED_TRACE(::testing::Message() << arguments.size() << " arguments");
        EXPECT_EQ(CommandLine::parse(arguments), expected);
    }
    EXPECT_EQ(CommandLine{}.forwardedMessage(), "reopen");
    EXPECT_EQ((CommandLine{true, "tavlen://open/x"}.forwardedMessage()), "open tavlen://open/x");
}

} // namespace
} // namespace tavlen::test
