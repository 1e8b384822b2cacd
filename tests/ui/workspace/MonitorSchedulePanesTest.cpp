#include "MonitorSchedulePanes.h"

#include "BoundedWait.h"
#include "MonitorChangesDraft.h"
#include "MonitorWorkspace.h"
#include "SQLiteMonitorRepository.h"
#include "ScheduleEditorFields.h"
#include "ScriptedMonitorRepository.h"
#include "StepsStoreWorld.h"
#include "WorkspaceViewText.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace tavlen::ui {
namespace {

using test::waitUntil;

// The Schedule and Details panes of a stored monitor, over the real workspace of a workspace file of their own
// whose writes can be made to fail.
class MonitorPanesTest : public test::StepsStoreWorld
{
protected:
    void SetUp() override
    {
        m_workspace.load();
        ASSERT_TRUE(waitUntil([this] { return m_workspace.loadState().isReady() && !m_workspace.isBusy(); }));
        ASSERT_EQ(m_workspace.monitors().size(), 1u);
        m_draft = m_workspace.changeDraft(m_monitor);
        ASSERT_TRUE(m_draft);
    }

    template <class Pane> std::unique_ptr<Pane> show(std::unique_ptr<Pane> pane)
    {
        pane->resize(520, 260);
        pane->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(pane.get()));
        QCoreApplication::sendPostedEvents();
        return pane;
    }

    std::unique_ptr<MonitorDetailsView> details()
    {
        return show(std::make_unique<MonitorDetailsView>(m_workspace.monitors()[0], m_draft, m_workspace, m_store));
    }

    std::unique_ptr<MonitorScheduleView> schedule()
    {
        return show(
            std::make_unique<MonitorScheduleView>(m_workspace.monitors()[0], m_draft, m_workspace, m_store, nullptr));
    }

    bool save()
    {
        const bool saved = finish(m_workspace.saveChanges(m_monitor));
        QCoreApplication::sendPostedEvents();
        return saved;
    }

    std::string storedName() { return queryText("SELECT name FROM monitors"); }

    template <class T> static T* find(QWidget* pane, const char* name)
    {
        return pane->findChild<T*>(QString::fromUtf8(name));
    }

    std::shared_ptr<test::ScriptedMonitorRepository> m_monitors = std::make_shared<test::ScriptedMonitorRepository>(
        std::make_shared<SQLiteMonitorRepository>(m_database, m_clock));
    MonitorWorkspace m_workspace{m_monitors};
    std::shared_ptr<MonitorChangesDraft> m_draft;
};

TEST_F(MonitorPanesTest, theNameGoesIntoTheDraftAndDeleteAsksTheWorkspace)
{
    const auto pane = details();
    auto* name = find<QLineEdit>(pane.get(), "monitor-name-field");
    EXPECT_EQ(name->text(), QStringLiteral("Prices"));
    name->selectAll();
    QTest::keyClicks(name, QStringLiteral("Rates"));
    EXPECT_EQ(m_draft->name(), "Rates");
    EXPECT_TRUE(m_workspace.hasUnsavedChanges(m_monitor));
    EXPECT_FALSE(find<QWidget>(pane.get(), "monitor-save-error")->isVisible());

    QTest::mouseClick(find<QAbstractButton>(pane.get(), "monitor-delete-button"), Qt::LeftButton);
    ASSERT_TRUE(m_workspace.deletionCandidate());
    EXPECT_EQ(m_workspace.deletionCandidate()->id, m_monitor);
    EXPECT_EQ(storedName(), "Prices") << "deleting waits for the window's confirmation";
}

TEST_F(MonitorPanesTest, aFailedSaveOffersTheOneWayOutItsErrorAllows)
{
    struct Case
    {
        const char* name;
        MonitorStoreError failure;
        bool reload;
        bool retry;
    };

    const Case cases[] = {
        {"validation", MonitorStoreError::validation("The name is too long."), false, false},
        {"busy", MonitorStoreError::busy(), false, false},
        {"stale edit", MonitorStoreError::staleEdit(), true, false},
        {"missing monitor", MonitorStoreError::missingMonitor(), true, false},
        {"storage", MonitorStoreError::storage(), false, true},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        // A stale or missing monitor refuses further saves until reloaded: each case starts from the stored one.
        finish(m_workspace.discardAndReload(m_monitor));
        ASSERT_TRUE(waitUntil([&] { return !m_workspace.isBusy(); }));
        m_draft = m_workspace.changeDraft(m_monitor);
        const auto pane = details();
        m_draft->setName(std::string("Rates ") + row.name);
        m_monitors->failNextWrite = row.failure;
        EXPECT_FALSE(save());
        ASSERT_TRUE(waitUntil([&] { return !m_workspace.isBusy(); }));
        EXPECT_TRUE(find<QWidget>(pane.get(), "monitor-save-error")->isVisible());
        EXPECT_EQ(find<QLabel>(pane.get(), "monitor-save-error")->text().toStdString(), row.failure.errorDescription());
        EXPECT_EQ(find<QWidget>(pane.get(), "monitor-reload-saved")->isVisible(), row.reload);
        EXPECT_EQ(find<QWidget>(pane.get(), "monitor-retry-storage")->isVisible(), row.retry);
        EXPECT_EQ(storedName(), "Prices");
    }
}

TEST_F(MonitorPanesTest, reloadingAfterAStaleEditAsksFirstThenRestoresTheStoredMonitor)
{
    const auto pane = details();
    m_draft->setName("Rates");
    m_monitors->failNextWrite = MonitorStoreError::staleEdit();
    EXPECT_FALSE(save());
    ASSERT_TRUE(waitUntil([&] { return !m_workspace.isBusy(); }));

    QTest::mouseClick(find<QAbstractButton>(pane.get(), "monitor-reload-saved"), Qt::LeftButton);
    QMessageBox* alert = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (alert = pane->findChild<QMessageBox*>()) && alert->isVisible(); }));
    EXPECT_EQ(alert->text(), text::reloadSavedMonitorQuestion);
    EXPECT_EQ(m_draft->name(), "Rates") << "nothing is discarded before the answer";
    QAbstractButton* discard = nullptr;
    for (QAbstractButton* button : alert->buttons()) {
        if (button->text() == text::discardAndReload) {
            discard = button;
        }
    }
    ASSERT_TRUE(discard);
    discard->click();

    ASSERT_TRUE(waitUntil([&] { return !m_workspace.isBusy() && !m_workspace.changeDraft(m_monitor)->saveError(); }));
    m_draft = m_workspace.changeDraft(m_monitor);
    EXPECT_EQ(m_draft->name(), "Prices");
    EXPECT_FALSE(m_workspace.hasUnsavedChanges(m_monitor));
}

TEST_F(MonitorPanesTest, retryingStorageClearsTheErrorAndTheEditSavesAfterwards)
{
    const auto pane = details();
    m_draft->setName("Rates");
    m_monitors->failNextWrite = MonitorStoreError::storage();
    EXPECT_FALSE(save());
    ASSERT_TRUE(waitUntil([&] { return !m_workspace.isBusy(); }));

    QTest::mouseClick(find<QAbstractButton>(pane.get(), "monitor-retry-storage"), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return !m_workspace.isBusy() && !m_draft->saveError(); }));
    EXPECT_FALSE(find<QWidget>(pane.get(), "monitor-save-error")->isVisible());
    EXPECT_EQ(m_draft->name(), "Rates") << "a retry keeps the edit";
    EXPECT_TRUE(save());
    EXPECT_EQ(storedName(), "Rates");
}

TEST_F(MonitorPanesTest, anInvalidScheduleSaveFocusesTheFieldInTheMiddleOfThePane)
{
    const auto pane = schedule();
    ScheduleDraft invalid = m_draft->schedule();
    invalid.scheduleMode = ScheduleMode::every;
    invalid.intervalPreset = IntervalPreset::custom;
    invalid.customInterval = "";
    m_draft->setSchedule(invalid);
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(find<QWidget>(pane.get(), "scheduleRule")->isVisible()) << "errors wait for a save";

    EXPECT_FALSE(save());
    QCoreApplication::sendPostedEvents();
    QLineEdit* amount = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        amount = find<QLineEdit>(pane.get(), "schedule-custom-amount");
        return amount && amount->hasFocus();
    }));
    EXPECT_TRUE(find<QWidget>(pane.get(), "scheduleRule")->isVisible());
    const QRect inViewport(amount->mapTo(pane->viewport(), QPoint(0, 0)), amount->size());
    EXPECT_TRUE(pane->viewport()->rect().contains(inViewport)) << "scrolled into view";
    EXPECT_TRUE(m_workspace.hasUnsavedChanges(m_monitor));
}

TEST_F(MonitorPanesTest, thePreviewFollowsAChangeOfTheSystemZone)
{
    const QByteArray zone = qgetenv("TZ");
    const auto pane = schedule();
    ScheduleDraft enabled = m_draft->schedule();
    enabled.scheduleEnabled = true;
    m_draft->setSchedule(enabled);
    QCoreApplication::sendPostedEvents();
    auto* zoneLabel = find<QLabel>(pane.get(), "schedule-preview-zone");
    ASSERT_TRUE(zoneLabel);
    const QString before = zoneLabel->text();

    qputenv("TZ", "Asia/Kolkata");
    pane->editor()->refreshPreview();
    const QString after = zoneLabel->text();
    zone.isNull() ? qunsetenv("TZ") : qputenv("TZ", zone);
    EXPECT_NE(after, before);
    EXPECT_TRUE(after.endsWith(QStringLiteral("Asia/Kolkata"))) << after.toStdString();
}

} // namespace
} // namespace tavlen::ui
