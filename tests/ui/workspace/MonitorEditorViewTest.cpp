#include "MonitorEditorView.h"

#include "BoundedWait.h"
#include "MonitorEditorSession.h"
#include "MonitorWorkspace.h"
#include "SQLiteMonitorRepository.h"
#include "WorkspaceFixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

namespace tavlen::ui {
namespace {

using test::waitUntil;

// The sheet over the real workspace of a workspace file of its own, opened as the workspace window opens it.
class MonitorEditorViewTest : public test::WorkspaceFixture
{
protected:
    void SetUp() override
    {
        m_workspace.load();
        ASSERT_TRUE(waitUntil([this] { return m_workspace.loadState().isReady() && !m_workspace.isBusy(); }));
        m_workspace.beginNewMonitor();
        ASSERT_TRUE(m_workspace.editor());
        m_view = openMonitorEditor(m_workspace, nullptr);
        ASSERT_TRUE(m_view);
        m_view->show();
    }

    void TearDown() override
    {
        delete m_view.data();
        test::flushDeferredDeletes();
    }

    template <class T> T* find(const char* name) { return m_view->findChild<T*>(QString::fromUtf8(name)); }

    void type(const QString& text) { QTest::keyClicks(find<QLineEdit>("new-monitor-name"), text); }

    // Deferred deletes queued outside a nested loop run only when flushed.
    bool closed()
    {
        test::flushDeferredDeletes();
        return m_view.isNull();
    }

    QMessageBox* openAlert() const { return m_view->findChild<QMessageBox*>(); }

    MonitorWorkspace m_workspace{std::make_shared<SQLiteMonitorRepository>(m_database, m_clock)};
    QPointer<MonitorEditorView> m_view;
};

TEST_F(MonitorEditorViewTest, createStoresTheMonitorSelectsItAndClosesTheSheet)
{
    EXPECT_EQ(m_view->focusWidget(), find<QLineEdit>("new-monitor-name"));
    type(QStringLiteral("  Prices  "));
    QTest::keyClick(find<QLineEdit>("new-monitor-name"), Qt::Key_Return);

    ASSERT_TRUE(waitUntil([this] { return closed(); }));
    EXPECT_FALSE(m_workspace.editor());
    ASSERT_EQ(m_workspace.monitors().size(), 1u);
    EXPECT_EQ(m_workspace.monitors()[0].name, "Prices");
    EXPECT_EQ(m_workspace.selection(), m_workspace.monitors()[0].id);
    EXPECT_EQ(queryText("SELECT name FROM monitors"), "Prices");
}

TEST_F(MonitorEditorViewTest, aBlankNameIsRefusedBeforeAnythingIsCalled)
{
    QWidget* message = find<QWidget>("new-monitor-name-validation");
    EXPECT_FALSE(message->isVisible());
    type(QStringLiteral(" \t "));
    QTest::mouseClick(find<QWidget>("new-monitor-create"), Qt::LeftButton);
    EXPECT_TRUE(m_view->showsValidation());
    EXPECT_TRUE(message->isVisible());
    EXPECT_FALSE(m_workspace.isBusy());
    EXPECT_EQ(count("monitors"), 0);

    type(QStringLiteral("x"));
    EXPECT_FALSE(message->isVisible()) << "the message goes as soon as the name is valid";
}

TEST_F(MonitorEditorViewTest, cancelClosesAtOnceWhenEmptyAndAsksWhenAnythingWasTyped)
{
    QTest::keyClick(m_view, Qt::Key_Escape);
    EXPECT_FALSE(m_workspace.editor()) << "nothing typed: closed at once";
    ASSERT_TRUE(waitUntil([this] { return closed(); }));

    m_workspace.beginNewMonitor();
    m_view = openMonitorEditor(m_workspace, nullptr);
    m_view->show();
    type(QStringLiteral(" "));
    QTest::mouseClick(find<QWidget>("new-monitor-cancel"), Qt::LeftButton);
    ASSERT_TRUE(m_view->confirmsDiscard());
    QMessageBox* alert = openAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->text(), QStringLiteral("Discard changes?"));

    QTest::keyClick(alert, Qt::Key_Escape); // "Keep editing"
    EXPECT_FALSE(m_view->confirmsDiscard());
    EXPECT_TRUE(m_workspace.editor());
    EXPECT_EQ(m_workspace.editor()->name(), " ");

    m_view->cancel();
    alert = openAlert();
    ASSERT_TRUE(alert);
    for (QAbstractButton* button : alert->buttons()) {
        if (button->text() == QStringLiteral("Discard changes")) {
            button->click();
        }
    }
    EXPECT_FALSE(m_workspace.editor());
}

TEST_F(MonitorEditorViewTest, aStorageFailureShowsItsSentenceAndRetryStorageRecovers)
{
    execute("CREATE TRIGGER refuse_monitors BEFORE INSERT ON monitors BEGIN SELECT RAISE(ABORT, 'refused'); END");
    type(QStringLiteral("Prices"));
    QTest::mouseClick(find<QWidget>("new-monitor-create"), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([this] { return m_workspace.editor()->saveError().has_value() && !m_workspace.isBusy(); }));

    const auto* error = find<QLabel>("new-monitor-error");
    EXPECT_TRUE(error->isVisible());
    EXPECT_EQ(error->text().toStdString(), m_workspace.editor()->saveError()->errorDescription());
    auto* retry = find<QWidget>("new-monitor-retry-storage");
    EXPECT_TRUE(retry->isVisible());
    EXPECT_FALSE(find<QWidget>("new-monitor-create")->isEnabled()) << "creating waits for a reload";

    execute("DROP TRIGGER refuse_monitors");
    QTest::mouseClick(retry, Qt::LeftButton);
    ASSERT_TRUE(waitUntil([this] { return m_workspace.loadState().isReady() && !m_workspace.isBusy(); }));
    EXPECT_FALSE(m_workspace.editor()->saveError());
    EXPECT_TRUE(find<QWidget>("new-monitor-create")->isEnabled());
    QTest::mouseClick(find<QWidget>("new-monitor-create"), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([this] { return closed(); }));
    EXPECT_EQ(count("monitors"), 1);
}

} // namespace
} // namespace tavlen::ui
