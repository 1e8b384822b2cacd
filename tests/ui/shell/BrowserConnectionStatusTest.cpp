#include "BrowserConnectionStatus.h"

#include "StandInBrowserConnection.h"

#include <gtest/gtest.h>

namespace tavlen::ui {
namespace {

using test::listedProfile;

TEST(BrowserConnectionStatusTest, StatusGuidanceAndInstallFollowTheClient)
{
    const std::vector<BrowserProfile> two = {listedProfile("a1", "Home"), listedProfile("b2", "Work")};

    struct Row
    {
        const char* name;
        BrowserConnectionFacts facts;
        BrowserConnectionStatus status;
        BrowserConnectionGuidance guidance;
        bool install;
    };

    const Row rows[] = {
        {"nothing listed, idle",
         {},
         BrowserConnectionStatus::disconnected,
         BrowserConnectionGuidance::installExtension,
         true},
        {"setting up with nothing listed",
         {.isSettingUp = true},
         BrowserConnectionStatus::connecting,
         BrowserConnectionGuidance::installExtension,
         false},
        {"setting up wins over a listed selected profile",
         {.isSettingUp = true, .profiles = two, .selectedProfileID = "a1"},
         BrowserConnectionStatus::connecting,
         BrowserConnectionGuidance::keepChromeOpen,
         false},
        {"a listed selected profile",
         {.profiles = two, .selectedProfileID = "b2"},
         BrowserConnectionStatus::connected,
         BrowserConnectionGuidance::keepChromeOpen,
         false},
        {"profiles listed, none selected",
         {.profiles = two},
         BrowserConnectionStatus::profileNeeded,
         BrowserConnectionGuidance::chooseProfile,
         false},
        {"a saved selection whose extension is gone, others listed",
         {.profiles = two, .selectedProfileID = "gone"},
         BrowserConnectionStatus::profileNeeded,
         BrowserConnectionGuidance::chooseProfile,
         false},
        {"a saved selection whose extension is gone, nothing listed",
         {.selectedProfileID = "gone"},
         BrowserConnectionStatus::disconnected,
         BrowserConnectionGuidance::installExtension,
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(browserConnectionStatus(row.facts), row.status);
        EXPECT_EQ(browserConnectionGuidance(row.facts), row.guidance);
        EXPECT_EQ(showsInstallButton(row.facts), row.install);
        EXPECT_EQ(showsChromeMissingNote(row.facts, false), row.install);
        EXPECT_FALSE(showsChromeMissingNote(row.facts, true));
    }
}

TEST(BrowserConnectionStatusTest, LabelsTitlesAndTooltips)
{
    struct Row
    {
        BrowserConnectionStatus status;
        const char* label;
        const char* title;
    };

    const Row rows[] = {
        {BrowserConnectionStatus::connected, "Chrome: Connected", "Connected to Chrome"},
        {BrowserConnectionStatus::connecting, "Chrome: Connecting\u2026", "Preparing the Chrome connection\u2026"},
        {BrowserConnectionStatus::profileNeeded, "Chrome: Select profile", "Select a Chrome profile to continue."},
        {BrowserConnectionStatus::disconnected, "Chrome: Disconnected", "Waiting for Chrome..."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(connectionLabelText(row.status), QString::fromUtf8(row.label));
        EXPECT_EQ(statusTitle(row.status), QString::fromUtf8(row.title));
        EXPECT_EQ(connectionTooltip(row.status, std::nullopt),
                  QString::fromUtf8(row.title) + QStringLiteral("\nClick to manage the Chrome connection."));
    }
    // An error of two lines makes a tooltip of four.
    EXPECT_EQ(connectionTooltip(BrowserConnectionStatus::disconnected, "Set-up failed.\nCould not save."),
              QStringLiteral("Waiting for Chrome...\nSet-up failed.\nCould not save.\n"
                             "Click to manage the Chrome connection."));
}

TEST(BrowserConnectionStatusTest, GuidanceNamesTheFolderToLoadUnpacked)
{
    const QString text =
        guidanceText(BrowserConnectionGuidance::installExtension, QStringLiteral("/opt/tavlen/Resources/extension"));
    EXPECT_TRUE(text.startsWith(QStringLiteral("Open Chrome. If needed, install the Tavlen extension")));
    EXPECT_TRUE(text.contains(QStringLiteral("Developer mode")));
    EXPECT_TRUE(text.contains(QStringLiteral("Load unpacked")));
    EXPECT_TRUE(text.contains(QStringLiteral("/opt/tavlen/Resources/extension")));
    EXPECT_EQ(guidanceText(BrowserConnectionGuidance::keepChromeOpen, {}),
              QStringLiteral("Keep Chrome open. Sign into websites directly in the selected profile."));
}

TEST(BrowserConnectionStatusTest, PopoverHeightAndShortIDs)
{
    const std::pair<double, int> heights[] = {{0, 0}, {300.2, 301}, {320, 320}, {519.01, 520}, {520, 520}, {900, 520}};
    for (const auto& [content, height] : heights) {
        SCOPED_TRACE(content);
        EXPECT_EQ(browserConnectionPopoverHeight(content), height);
    }
    EXPECT_EQ(shortProfileID("0123456789abcdef"), QStringLiteral("01234567"));
    EXPECT_EQ(shortProfileID("abc"), QStringLiteral("abc"));
}

} // namespace
} // namespace tavlen::ui
