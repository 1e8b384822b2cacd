#include "ContentUnavailableView.h"
#include "ElidedLabel.h"
#include "MonitorChangesDraft.h"
#include "MonitorDetailHeader.h"
#include "MonitorDetailView.h"
#include "MonitorEditorView.h"
#include "MonitorScheduleIndicator.h"
#include "MonitorScheduler.h"
#include "SQLiteScheduleRepository.h"
#include "StepsExecutionMode.h"
#include "TaskHandle.h"
#include "TavlenButton.h"
#include "WorkspaceBanner.h"
#include "WorkspaceViewFixture.h"

#include <QLabel>
#include <QMimeData>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace tavlen::ui::test {
namespace {

class WorkspaceViewTest : public WorkspaceViewFixture
{
protected:
    MonitorSidebarRow* row(int index) const { return m_view->list()->row(index); }

    void click(int index)
    {
        MonitorSidebarRow* target = row(index);
        ASSERT_TRUE(target);
        QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(target->width() / 2, target->height() / 2));
    }

    // A drop of the data on the list, at the point of the list that gives the insertion offset. (The offscreen
    // platform runs no drag, and Qt delivers drop events only to the target of a real one.)
    void drop(const QMimeData& data, int offset)
    {
        MonitorSidebarList* list = m_view->list();
        const QRect rect = list->visualItemRect(list->item(std::min(offset, list->count() - 1)));
        const QPoint point(rect.center().x(), offset < list->count() ? rect.top() + 2 : rect.bottom() - 2);
        const std::size_t destination = list->insertionOffset(point);
        ASSERT_EQ(destination, static_cast<std::size_t>(offset));
        list->dropMonitor(data, destination);
    }

    // The colour of the first fully opaque pixel of the first picture in the widget.
    static QColor inkOf(const QWidget& widget)
    {
        const QImage image = widget.findChild<QLabel*>()->pixmap().toImage();
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixelColor(x, y).alpha() == 255) {
                    return image.pixelColor(x, y);
                }
            }
        }
        return {};
    }

    std::string storedOrder() { return queryText("SELECT monitor_order_json FROM app_settings WHERE id = 1"); }

    static std::string orderText(const std::vector<Uuid>& ids)
    {
        std::string text = "[";
        for (const Uuid& id : ids) {
            text += (text.size() > 1 ? ",\"" : "\"") + id.lowercaseString() + "\"";
        }
        return text + "]";
    }

    MonitorDetailView* presentedDetail()
    {
        EXPECT_TRUE(waitUntil([this] { return m_view->detailView() && m_view->detailView()->isPresented(); }));
        return m_view->detailView();
    }
};

TEST_F(WorkspaceViewTest, theDetailColumnShowsLoadingThenThePlaceholderFittingTheList)
{
    execute("DELETE FROM monitors");
    showView();
    EXPECT_TRUE(find<QWidget>("workspace-loading")->isVisible());
    EXPECT_FALSE(m_view->placeholder()) << "no placeholder while loading";
    EXPECT_FALSE(find<QWidget>("workspace-new-monitor")->isEnabled());

    loadWorkspace();
    EXPECT_FALSE(find<QWidget>("workspace-loading")->isVisible());
    ASSERT_TRUE(m_view->placeholder());
    EXPECT_EQ(m_view->placeholder()->title(), QStringLiteral("No monitors yet"));
    EXPECT_TRUE(find<QWidget>("workspace-create-monitor")->isEnabled());

    insertMonitor("Prices");
    loadWorkspace();
    m_workspace.select(std::nullopt);
    ASSERT_TRUE(waitUntil([this] { return !m_workspace.selection() && m_view->placeholder(); }));
    EXPECT_EQ(m_view->placeholder()->title(), QStringLiteral("Select a monitor"));

    QTest::mouseClick(find<QWidget>("workspace-create-monitor"), Qt::LeftButton);
    ASSERT_TRUE(m_workspace.editor());
    EXPECT_TRUE(waitUntil([this] { return m_view->findChild<MonitorEditorView*>() != nullptr; }));
    EXPECT_FALSE(find<QWidget>("workspace-create-monitor")->isEnabled()) << "nothing starts while the sheet is open";
    EXPECT_FALSE(find<QWidget>("workspace-new-monitor")->isEnabled());
}

TEST_F(WorkspaceViewTest, aFailedLoadShowsItsSentenceAndRetryLoadsAgain)
{
    execute("ALTER TABLE monitors RENAME TO hidden_monitors");
    loadWorkspace();
    ASSERT_EQ(m_workspace.loadState().kind(), WorkspaceLoadState::Kind::failed);
    showView();
    EXPECT_TRUE(find<QWidget>("workspace-failure")->isVisible());
    EXPECT_EQ(find<QLabel>("workspace-failure-message")->text().toStdString(),
              m_workspace.loadState().error()->errorDescription());
    EXPECT_FALSE(m_view->placeholder());

    execute("ALTER TABLE hidden_monitors RENAME TO monitors");
    QTest::mouseClick(find<QWidget>("workspace-retry-load"), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([this] { return m_workspace.loadState().isReady() && !m_workspace.isBusy(); }));
    EXPECT_FALSE(find<QWidget>("workspace-failure")->isVisible());
    EXPECT_EQ(m_view->list()->count(), 1);
}

TEST_F(WorkspaceViewTest, choosingAnotherMonitorWithUnsavedChangesAsksAndCancelKeepsTheListOnTheOldOne)
{
    const Uuid other = insertMonitor("Weather", 2000);
    loadWorkspace();
    showView();
    click(0);
    ASSERT_TRUE(waitUntil([this] { return m_workspace.selection() == m_monitor; }));
    EXPECT_EQ(m_view->list()->currentRow(), 0);
    m_workspace.changeDraft(m_monitor)->setName("Prices today");

    click(1);
    ASSERT_TRUE(waitUntil([this] { return alert() != nullptr; }));
    EXPECT_EQ(alert()->text(), QStringLiteral("Save changes to this monitor?"));
    EXPECT_TRUE(alert()->informativeText().contains(QStringLiteral("\u201cPrices\u201d")));
    EXPECT_EQ(m_view->list()->currentRow(), 0) << "the list waits for the answer";
    EXPECT_EQ(m_workspace.selection(), m_monitor);

    press(alert(), QStringLiteral("Cancel"));
    ASSERT_TRUE(waitUntil([this] { return !m_navigation.isBusy(); }));
    EXPECT_EQ(m_workspace.selection(), m_monitor);
    EXPECT_EQ(m_view->list()->currentRow(), 0);
    EXPECT_EQ(m_view->detailView()->monitor().id, m_monitor);
    const QPalette shown = row(0)->palette();
    EXPECT_EQ(shown.color(QPalette::WindowText), shown.color(QPalette::HighlightedText)) << "drawn as selected";
    EXPECT_NE(row(1)->palette().color(QPalette::WindowText), shown.color(QPalette::HighlightedText));
    EXPECT_EQ(inkOf(*row(0)->findChild<MonitorScheduleIndicator*>()), shown.color(QPalette::HighlightedText))
        << "the symbols follow";
    EXPECT_EQ(inkOf(*row(1)->findChild<MonitorScheduleIndicator*>()), row(1)->palette().color(QPalette::WindowText));

    QTest::keyClick(m_view->list(), Qt::Key_Down); // the keyboard asks the same question
    ASSERT_TRUE(waitUntil([this] { return alert() != nullptr; }));
    press(alert(), QStringLiteral("Discard"));
    ASSERT_TRUE(waitUntil([&] { return m_workspace.selection() == other && m_view->detailView(); }));
    EXPECT_EQ(m_view->list()->currentRow(), 1);
    EXPECT_EQ(m_view->detailView()->monitor().id, other);
    EXPECT_EQ(m_workspace.changeDraft(m_monitor)->name(), "Prices") << "discarded";
}

TEST_F(WorkspaceViewTest, droppingADraggedRowStoresTheNewOrderAndRefusedDropsChangeNothing)
{
    const Uuid b = insertMonitor("B", 2000);
    const Uuid c = insertMonitor("C", 3000);
    loadWorkspace();
    showView();
    const Uuid a = m_monitor;
    ASSERT_EQ(listedIDs(), (std::vector{a, b, c}));

    drop(*row(0)->makeDragData(), 2);
    ASSERT_TRUE(waitUntil([this] { return !m_workspace.isBusy() && listedIDs().front() != m_monitor; }));
    EXPECT_EQ(listedIDs(), (std::vector{b, a, c}));
    EXPECT_EQ(storedOrder(), orderText({b, a, c}));
    EXPECT_EQ(row(1)->monitor().id, a) << "the rows follow";

    QMimeData upper;
    upper.setText(QString::fromStdString(c.uppercaseString()));
    drop(upper, 0);
    ASSERT_TRUE(waitUntil([&] { return !m_workspace.isBusy() && listedIDs() == std::vector{c, b, a}; }));
    EXPECT_EQ(storedOrder(), orderText({c, b, a}));

    // Onto its own place, just after itself, a stranger's id, two items, a list changed before the text arrived.
    drop(*row(1)->makeDragData(), 1);
    drop(*row(1)->makeDragData(), 2);
    QMimeData stranger;
    stranger.setText(QString::fromStdString(Uuid::random().lowercaseString()));
    drop(stranger, 0);
    QMimeData twoItems;
    twoItems.setUrls({QUrl(QStringLiteral("file:///a")), QUrl(QStringLiteral("file:///b"))});
    twoItems.setText(QString::fromStdString(a.lowercaseString()));
    drop(twoItems, 0);
    const std::unique_ptr<QMimeData> raced = row(2)->makeDragData();
    drop(*raced, 0);
    m_workspace.moveMonitors({0}, 2); // lands before the drop's text is read
    ASSERT_TRUE(waitUntil([this] { return !m_workspace.isBusy(); }));
    flushDeferredDeletes();
    QCoreApplication::processEvents();
    EXPECT_EQ(listedIDs(), (std::vector{b, c, a}));
    EXPECT_EQ(storedOrder(), orderText({b, c, a}));

    m_workspace.beginNewMonitor();
    EXPECT_FALSE(row(0)->makeDragData()->hasText()) << "nothing droppable while the sheet is open";
}

TEST_F(WorkspaceViewTest, deletingTheSelectedMonitorWhileItsCheckRunsCancelsItAndEmptiesTheWindow)
{
    loadSaved();
    loadWorkspace();
    showView();
    click(0);
    presentedDetail();
    m_browser.holdCapture = true;
    m_store.startExecution(m_monitor, StepsExecutionMode::manualCheck());
    advanceUntil([this] { return state().activeMonitorID() == m_monitor; });

    m_workspace.setDeletionCandidate(m_workspace.monitors().front());
    ASSERT_TRUE(waitUntil([this] { return alert() != nullptr; }));
    EXPECT_EQ(alert()->text(), QStringLiteral("Delete \u201cPrices\u201d?"));
    press(alert(), QStringLiteral("Delete"));
    advanceUntil([this] { return m_workspace.monitors().empty() && !m_workspace.isBusy(); });

    EXPECT_FALSE(state().activeMonitorID());
    EXPECT_EQ(count("monitors"), 0);
    EXPECT_EQ(m_view->list()->count(), 0);
    EXPECT_FALSE(m_view->detailView());
    ASSERT_TRUE(m_view->placeholder());
    EXPECT_EQ(m_view->placeholder()->title(), QStringLiteral("No monitors yet"));
}

TEST_F(WorkspaceViewTest, savedStepsOfAnotherMonitorRefreshItsRowWhileTheSelectionStays)
{
    const Uuid other = insertMonitor("Weather", 2000);
    loadSaved();
    store(document({{numberField("Temperature")}}), std::nullopt, other);
    loadWorkspace();
    showView();
    click(0);
    ASSERT_TRUE(waitUntil([this] { return row(1)->pageLabel()->text() == QStringLiteral("a.test"); }));
    EXPECT_EQ(row(1)->pageLabel()->toolTip(), QStringLiteral("a.test"));

    const auto session = load(other);
    pageSettings(session).setUrl("https://Weather.example/today");
    ASSERT_TRUE(save(other));
    ASSERT_TRUE(waitUntil([this] { return row(1)->pageLabel()->text() == QStringLiteral("weather.example"); }));
    EXPECT_EQ(m_workspace.selection(), m_monitor);
    EXPECT_EQ(m_view->detailView()->header()->domainLabel()->text(), QStringLiteral("a.test"));
}

TEST_F(WorkspaceViewTest, editFocusOfTheSelectedMonitorPicksTheTabAndTheTabCarriesOverToTheNextMonitor)
{
    const Uuid other = insertMonitor("Weather", 2000);
    loadWorkspace();
    showView();
    click(0);
    MonitorDetailView* detail = presentedDetail();
    EXPECT_EQ(detail->currentTab(), MonitorDetailTab::steps);

    m_workspace.setEditFocus(MonitorEditFocus{Uuid::random(), m_monitor, MonitorDetailTab::history});
    EXPECT_EQ(detail->currentTab(), MonitorDetailTab::history);
    detail->tabWidget()->setCurrentIndex(0); // the user goes back to Steps
    EXPECT_EQ(m_view->selectedTab(), MonitorDetailTab::steps);
    m_workspace.setEditFocus(MonitorEditFocus{Uuid::random(), m_monitor, MonitorDetailTab::history});
    EXPECT_EQ(detail->currentTab(), MonitorDetailTab::history) << "a repeated request is a new one";
    m_workspace.setEditFocus(MonitorEditFocus{Uuid::random(), other, MonitorDetailTab::details});
    EXPECT_EQ(m_view->selectedTab(), MonitorDetailTab::history) << "another monitor's focus changes nothing";

    click(1);
    ASSERT_TRUE(waitUntil([&] { return m_view->detailView() && m_view->detailView()->monitor().id == other; }));
    EXPECT_EQ(presentedDetail()->currentTab(), MonitorDetailTab::history);
}

TEST_F(WorkspaceViewTest, aFailedSummariesLoadShowsTheBannerAndUnknownUrlsUntilRetrySucceeds)
{
    const Uuid other = insertMonitor("Weather", 2000);
    loadSaved();
    loadWorkspace();
    showView();
    auto* banner = find<WorkspaceBanner>("workspace-sidebar-banner");
    EXPECT_FALSE(banner->isVisible());
    ASSERT_TRUE(waitUntil([this] { return row(0)->pageLabel()->text() == QStringLiteral("a.test"); }));

    execute("ALTER TABLE monitor_steps RENAME TO hidden_steps");
    TaskHandle<void>([this](std::stop_token) { return m_workspace.refreshSidebarSummaries(); });
    ASSERT_TRUE(waitUntil([this] { return m_workspace.sidebarError().has_value(); }));
    EXPECT_TRUE(banner->isVisible());
    EXPECT_EQ(banner->text().toStdString(),
              "Sidebar information unavailable. " + m_workspace.sidebarError()->errorDescription());
    EXPECT_EQ(row(0)->pageLabel()->text(), QStringLiteral("a.test")) << "a known domain stays";
    EXPECT_EQ(m_view->list()->row(other)->pageLabel()->text(), QStringLiteral("URL unavailable"));
    EXPECT_EQ(m_view->list()->row(other)->pageLabel()->toolTip(), QStringLiteral("Save a URL in the Open page step."));

    execute("ALTER TABLE hidden_steps RENAME TO monitor_steps");
    QTest::mouseClick(banner->button(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return !banner->isVisible(); }));
    EXPECT_EQ(m_view->list()->row(other)->pageLabel()->text(), QStringLiteral("No URL set"));
}

TEST_F(WorkspaceViewTest, aReorderThatCannotBeStoredIsReportedUntilAcknowledged)
{
    insertMonitor("Weather", 2000);
    loadWorkspace();
    showView();
    execute("CREATE TRIGGER refuse_order BEFORE UPDATE ON app_settings BEGIN SELECT RAISE(ABORT, 'refused'); END");
    drop(*row(0)->makeDragData(), 2);
    ASSERT_TRUE(waitUntil([this] { return alert() != nullptr; }));
    EXPECT_EQ(alert()->text(), QStringLiteral("Couldn\u2019t update the workspace"));
    EXPECT_EQ(alert()->informativeText().toStdString(), m_workspace.actionError()->errorDescription());
    press(alert(), QStringLiteral("OK"));
    EXPECT_FALSE(m_workspace.actionError());
    EXPECT_TRUE(waitUntil([this] { return alert() == nullptr; }));
}

TEST_F(WorkspaceViewTest, theDragPreviewIsTheRowOnARoundedCardOfItsLastMeasuredWidth)
{
    loadWorkspace();
    MonitorSidebarRow unmeasured(m_workspace.monitors().front(), m_workspace, m_store, {});
    EXPECT_EQ(unmeasured.contentWidth(), 200);
    EXPECT_EQ(unmeasured.dragPreview().deviceIndependentSize().width(), 220);

    showView();
    MonitorSidebarRow* shown = row(0);
    EXPECT_EQ(shown->contentWidth(), shown->width());
    EXPECT_NE(shown->width(), 200);
    const QPixmap preview = shown->dragPreview();
    ASSERT_EQ(preview.deviceIndependentSize().toSize(), QSize(shown->width() + 20, shown->height() + 16));
    const QImage image = preview.toImage();
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0) << "a rounded corner";
    EXPECT_EQ(image.pixelColor(3, image.height() / 2), shown->palette().color(QPalette::Window)) << "the card";
}

TEST_F(WorkspaceViewTest, retrySchedulingClearsTheErrorRunsAPassAndTheRowsShowItsSchedule)
{
    execute("UPDATE monitors SET schedule_enabled = 1");
    SQLiteScheduleRepository schedules(m_database);
    MonitorSchedulerEnvironment environment;
    environment.time = &m_clock;
    environment.timeZone = [] { return std::string("America/New_York"); };
    environment.zoneFile = m_directory / "localtime";
    environment.watchClockAndWake = false;
    MonitorScheduler scheduler(
        schedules, m_store, [this] { return m_workspace.loadState().isReady(); }, std::move(environment));
    loadWorkspace();
    showView(&scheduler);
    auto* banner = find<WorkspaceBanner>("workspace-scheduling-banner");
    EXPECT_FALSE(banner->isVisible());
    EXPECT_EQ(row(0)->findChild<MonitorScheduleIndicator*>()->helpText(), QStringLiteral("Schedule enabled"));

    scheduler.setError(MonitorStoreError::storage());
    EXPECT_TRUE(banner->isVisible());
    EXPECT_EQ(banner->text().toStdString(), "Scheduling paused. " + MonitorStoreError::storage().errorDescription());
    QTest::mouseClick(banner->button(), Qt::LeftButton);
    EXPECT_FALSE(scheduler.error());
    ASSERT_TRUE(waitUntil([&] { return scheduler.snapshot().states.count(m_monitor) == 1; }));
    EXPECT_FALSE(banner->isVisible());
    EXPECT_TRUE(
        row(0)->findChild<MonitorScheduleIndicator*>()->helpText().startsWith(QStringLiteral("Next check at ")));
    delete m_view.data(); // before the scheduler it watches
}

} // namespace
} // namespace tavlen::ui::test
