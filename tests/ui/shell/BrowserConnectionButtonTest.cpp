#include "BrowserConnectionButton.h"

#include "BrowserClientHarness.h"
#include "BrowserConnectionControls.h"
#include "BrowserConnectionLabel.h"
#include "BrowserConnectionPopover.h"
#include "KitPopup.h"
#include "StandInBrowserConnection.h"
#include "TavlenButton.h"
#include "WaitUntil.h"

#include <QLabel>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace tavlen::ui {
namespace {

using test::listedProfile;
using test::waitUntil;

const QString folder = QStringLiteral("/opt/tavlen/lib/tavlen/Resources/extension");

// The button in a shown window, as the toolbar holds it.
struct ButtonInWindow
{
    explicit ButtonInWindow(
        BrowserConnection& connection,
        std::shared_ptr<test::StandInChromeLauncher> chrome = std::make_shared<test::StandInChromeLauncher>())
        : launcher(std::move(chrome))
        , button(new BrowserConnectionButton(connection, launcher, folder))
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(button);
        window.resize(300, 80);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    BrowserConnectionControls& open()
    {
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_TRUE(button->showsConnection());
        EXPECT_TRUE(button->popup().isVisible());
        return button->popover()->controls();
    }

    template <class T> T* find(const QString& name) { return button->popover()->findChild<T*>(name); }

    bool shown(const QString& name)
    {
        auto* widget = find<QWidget>(name);
        return widget && widget->isVisible();
    }

    QString text(const QString& name) { return find<QLabel>(name)->text(); }

    std::shared_ptr<test::StandInChromeLauncher> launcher;
    QWidget window;
    BrowserConnectionButton* button;
};

TEST(BrowserConnectionButtonTest, NothingConnectedOffersTheExtensionAndEscapeCloses)
{
    test::StandInBrowserConnection connection;
    ButtonInWindow view(connection);
    EXPECT_EQ(view.button->label().text(), QStringLiteral("Chrome: Disconnected"));
    EXPECT_EQ(view.button->label().symbolName(), QStringLiteral("exclamationmark.circle.fill"));
    EXPECT_EQ(view.button->toolTip(), QStringLiteral("Waiting for Chrome...\nClick to manage the Chrome connection."));
    EXPECT_EQ(view.button->accessibleName(), QStringLiteral("Chrome connection"));

    view.open();
    EXPECT_EQ(view.button->popup().width() - 2, 480);
    EXPECT_EQ(view.text(QStringLiteral("chrome-connection-title")), QStringLiteral("Waiting for Chrome..."));
    EXPECT_EQ(view.find<QLabel>(QStringLiteral("chrome-connection-title-symbol"))->accessibleName(),
              QStringLiteral("globe"));
    EXPECT_TRUE(view.text(QStringLiteral("chrome-connection-guidance")).contains(folder));
    EXPECT_TRUE(view.shown(QStringLiteral("chrome-connection-install")));
    EXPECT_TRUE(view.shown(QStringLiteral("chrome-connection-chrome-missing")));
    EXPECT_FALSE(view.shown(QStringLiteral("chrome-connection-progress")));

    QTest::keyClick(view.button->popover(), Qt::Key_Escape);
    EXPECT_FALSE(view.button->popup().isVisible());
    EXPECT_FALSE(view.button->showsConnection());
    waitUntil([&] { return view.button->popover() == nullptr; });
    view.open();
    EXPECT_FALSE(view.shown(QStringLiteral("chrome-connection-link-error")));
}

TEST(BrowserConnectionButtonTest, FollowsTheClientWhileOpen)
{
    test::StandInBrowserConnection connection;
    auto& state = connection.clientState;
    state.setSettingUp(true);
    ButtonInWindow view(connection);
    EXPECT_EQ(view.button->label().text(), QStringLiteral("Chrome: Connecting\u2026"));
    EXPECT_TRUE(view.button->label().symbolName().isEmpty());
    view.open();
    EXPECT_TRUE(view.shown(QStringLiteral("chrome-connection-progress")));
    EXPECT_FALSE(view.shown(QStringLiteral("chrome-connection-install")));
    EXPECT_FALSE(view.shown(QStringLiteral("chrome-connection-chrome-missing")));

    state.setProfiles({listedProfile("11111111-aaaa", "Work"), listedProfile("2222", "Home")});
    state.setSettingUp(false);
    EXPECT_EQ(view.button->label().text(), QStringLiteral("Chrome: Select profile"));
    EXPECT_EQ(view.button->label().symbolName(), QStringLiteral("person.crop.circle.badge.questionmark"));
    auto* work = view.find<QWidget>(QStringLiteral("chrome-profile-11111111-aaaa"));
    ASSERT_NE(work, nullptr);
    EXPECT_NE(work->findChild<QLabel*>(QString(), Qt::FindDirectChildrenOnly), nullptr);
    auto* use = work->findChild<TavlenButton*>(QStringLiteral("chrome-profile-use"));
    ASSERT_NE(use, nullptr);
    EXPECT_TRUE(use->isEnabled());
    QTest::mouseClick(use, Qt::LeftButton);
    EXPECT_EQ(connection.chosen, std::vector<std::string>{"11111111-aaaa"});

    // A client that refuses choices disables every row's button.
    connection.canSelect = false;
    state.setSelectingProfile(true);
    for (auto* button : view.button->popover()->findChildren<TavlenButton*>(QStringLiteral("chrome-profile-use"))) {
        EXPECT_FALSE(button->isVisible() && button->isEnabled());
    }

    state.setSelectedProfileID("2222");
    state.setSelectingProfile(false);
    state.setOperationError("The page did not load.\nChrome stopped answering.");
    EXPECT_EQ(view.button->label().text(), QStringLiteral("Chrome: Connected"));
    EXPECT_EQ(view.button->toolTip().count(QLatin1Char('\n')), 3);
    EXPECT_EQ(view.text(QStringLiteral("chrome-connection-title")), QStringLiteral("Connected to Chrome"));
    EXPECT_EQ(view.text(QStringLiteral("chrome-connection-error")),
              QStringLiteral("The page did not load.\nChrome stopped answering."));
    EXPECT_EQ(view.text(QStringLiteral("chrome-connection-guidance")),
              QStringLiteral("Keep Chrome open. Sign into websites directly in the selected profile."));
}

TEST(BrowserConnectionButtonTest, InstallingOpensChromeAtTheExtensionsPageAndShowsTheFolder)
{
    struct Row
    {
        const char* name;
        std::optional<QString> chrome;
        bool opens;
        QString error;
    };

    const Row rows[] = {
        {"Chrome opens", QStringLiteral("/usr/bin/chromium"), true, {}},
        {"Chrome fails",
         QStringLiteral("/usr/bin/google-chrome"),
         false,
         QStringLiteral("Could not open Google Chrome. Open Chrome and visit chrome://extensions.")},
        {"no Chrome, the default handler opens", std::nullopt, true, {}},
        {"no Chrome, nothing opens",
         std::nullopt,
         false,
         QStringLiteral("Could not open this link. Open chrome://extensions in your browser.")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::StandInBrowserConnection connection;
        auto launcher = std::make_shared<test::StandInChromeLauncher>();
        launcher->chrome = row.chrome;
        launcher->defaultOpens = row.opens;
        launcher->chromeOutcome.emplace();
        ButtonInWindow view(connection, launcher);
        view.open();
        auto* install = view.find<TavlenButton>(QStringLiteral("chrome-connection-install"));
        QTest::mouseClick(install, Qt::LeftButton);
        if (row.chrome) {
            // Disabled until Chrome has started or failed to.
            EXPECT_FALSE(install->isEnabled());
            ASSERT_EQ(launcher->openedInChrome.size(), 1u);
            EXPECT_EQ(launcher->openedInChrome[0].first, *row.chrome);
            EXPECT_EQ(launcher->openedInChrome[0].second, QUrl(QStringLiteral("chrome://extensions")));
            launcher->chromeOutcome->resume(row.opens);
        } else {
            EXPECT_EQ(launcher->openedByDefault, std::vector<QUrl>{QUrl(QStringLiteral("chrome://extensions"))});
        }
        waitUntil([&] { return install->isEnabled(); });
        EXPECT_EQ(launcher->shownFolders, std::vector<QString>{folder});
        EXPECT_EQ(view.shown(QStringLiteral("chrome-connection-link-error")), !row.error.isEmpty());
        EXPECT_EQ(view.text(QStringLiteral("chrome-connection-link-error")), row.error);
    }
}

TEST(BrowserConnectionButtonTest, ChoosingAProfileOfALiveClient)
{
    test::BrowserClientHarness harness;
    harness.start();
    test::FakeExtension work;
    test::FakeExtension home;
    auto workChrome = harness.connect("work-profile-1", "Work");
    workChrome->setResponder(work.responder());
    auto homeChrome = harness.connect("home-profile-2", "Home");
    homeChrome->setResponder(home.responder());
    ClientBrowserConnection connection(harness.client());
    ButtonInWindow view(connection);
    EXPECT_EQ(view.button->label().text(), QStringLiteral("Chrome: Select profile"));
    view.open();

    auto* row = view.find<QWidget>(QStringLiteral("chrome-profile-home-profile-2"));
    ASSERT_NE(row, nullptr);
    QTest::mouseClick(row->findChild<TavlenButton*>(QStringLiteral("chrome-profile-use")), Qt::LeftButton);
    waitUntil([&] {
        auto* chosen = view.find<QWidget>(QStringLiteral("chrome-profile-home-profile-2"));
        return chosen && chosen->isVisible() && chosen->findChild<QWidget*>(QStringLiteral("chrome-profile-selected"));
    });
    EXPECT_EQ(harness.state().selectedProfileID(), "home-profile-2");
    EXPECT_EQ(view.button->label().text(), QStringLiteral("Chrome: Connected"));
    auto* other = view.find<QWidget>(QStringLiteral("chrome-profile-work-profile-1"));
    ASSERT_NE(other, nullptr);
    EXPECT_NE(other->findChild<TavlenButton*>(QStringLiteral("chrome-profile-use")), nullptr);
}

} // namespace
} // namespace tavlen::ui
