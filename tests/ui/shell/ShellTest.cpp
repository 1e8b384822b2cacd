#include "MainWindow.h"
#include "ShellCommands.h"
#include "TrayIcon.h"

#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace tavlen::ui {
namespace {

TEST(MainWindowTest, OpensAt960By640TitledTavlenWithItsMenus)
{
    ShellCommands commands;
    MainWindow window(commands);
    EXPECT_EQ(window.objectName(), QStringLiteral("main"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Tavlen"));
    EXPECT_EQ(window.size(), QSize(960, 640));
    EXPECT_FALSE(window.testAttribute(Qt::WA_DeleteOnClose));

    struct Item
    {
        QString menu;
        QString text;
        QKeySequence shortcut;
    };

    const Item items[] = {
        {QStringLiteral("&File"), QStringLiteral("New monitor"), QKeySequence(QStringLiteral("Ctrl+N"))},
        {QStringLiteral("&File"), QStringLiteral("Settings\u2026"), QKeySequence(QStringLiteral("Ctrl+,"))},
        {QStringLiteral("&File"), QStringLiteral("Quit"), QKeySequence(QStringLiteral("Ctrl+Q"))},
        {QStringLiteral("&Help"), QStringLiteral("Check for Updates\u2026"), QKeySequence()},
    };
    for (const auto& item : items) {
        SCOPED_TRACE(item.text.toStdString());
        const auto menus = window.menuBar()->findChildren<QMenu*>();
        const auto menu = std::find_if(menus.begin(), menus.end(), [&](QMenu* m) { return m->title() == item.menu; });
        ASSERT_NE(menu, menus.end());
        const auto actions = (*menu)->actions();
        const auto action =
            std::find_if(actions.begin(), actions.end(), [&](QAction* a) { return a->text() == item.text; });
        ASSERT_NE(action, actions.end());
        EXPECT_EQ((*action)->shortcut(), item.shortcut);
    }
    // Nothing may start before the application enables it.
    EXPECT_FALSE(commands.newMonitor().isEnabled());
    EXPECT_FALSE(commands.checkForUpdates().isEnabled());
}

TEST(MainWindowTest, TheSettingsButtonAndTheSlotsOfTheToolbarAndContent)
{
    ShellCommands commands;
    MainWindow window(commands);
    window.show();
    auto* settings = window.findChild<QToolButton*>(QStringLiteral("settings-button"));
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->accessibleName(), QStringLiteral("Settings"));
    EXPECT_EQ(settings->toolTip(), QStringLiteral("Open Tavlen settings"));
    EXPECT_EQ(settings->size(), QSize(36, 36));
    QSignalSpy opened(&commands.openSettings(), &QAction::triggered);
    QTest::mouseClick(settings, Qt::LeftButton);
    EXPECT_EQ(opened.count(), 1);

    ASSERT_NE(window.content(), nullptr) << "a placeholder until a view is put there";
    auto* view = new QWidget;
    view->setObjectName(QStringLiteral("workspace"));
    window.setContent(view);
    EXPECT_EQ(window.content(), view);

    auto* button = new QToolButton;
    window.setConnectionButton(button);
    EXPECT_EQ(window.connectionButton(), button);
    QCoreApplication::processEvents(); // the toolbar lays out on its next turn
    EXPECT_GT(button->mapTo(&window, QPoint()).x(), settings->mapTo(&window, QPoint()).x());
    window.setConnectionButton(nullptr);
    EXPECT_EQ(window.connectionButton(), nullptr);
}

TEST(MainWindowTest, ClosingAsksFirstAndOnlyHides)
{
    ShellCommands commands;
    MainWindow window(commands);
    bool allow = false;
    int asked = 0;
    window.shouldClose = [&] {
        ++asked;
        return allow;
    };
    window.show();
    window.close();
    EXPECT_TRUE(window.isVisible());
    allow = true;
    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(asked, 2);
}

TEST(TrayIconTest, ItsMenuOpensTavlenOrQuitsAndALeftClickOpens)
{
    ShellCommands commands;
    TrayIcon tray(commands);
    const auto actions = tray.menu().actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(actions[0], &commands.openTavlen());
    EXPECT_EQ(actions[0]->text(), QStringLiteral("Open Tavlen"));
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_EQ(actions[2], &commands.quit());
    EXPECT_EQ(actions[2]->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    EXPECT_EQ(tray.icon().toolTip(), QStringLiteral("Tavlen"));
    EXPECT_FALSE(tray.icon().icon().isNull());

    QSignalSpy opened(&commands.openTavlen(), &QAction::triggered);
    Q_EMIT tray.icon().activated(QSystemTrayIcon::Trigger);
    Q_EMIT tray.icon().activated(QSystemTrayIcon::Context);
    EXPECT_EQ(opened.count(), 1);
}

} // namespace
} // namespace tavlen::ui
