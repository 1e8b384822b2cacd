#include "MonitorDetailView.h"

#include "ChartPreset.h"
#include "ElidedLabel.h"
#include "MonitorCharts.h"
#include "MonitorChartsView.h"
#include "MonitorDetailHeader.h"
#include "MonitorHistoryView.h"
#include "MonitorSelectionPresentation.h"
#include "StepsEditorView.h"
#include "WorkspaceViewFixture.h"

#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace tavlen::ui::test {
namespace {

class MonitorDetailViewTest : public WorkspaceViewFixture
{
protected:
    void SetUp() override { loadWorkspace(); }

    void TearDown() override
    {
        m_detail.reset();
        flushDeferredDeletes();
    }

    // A detail view shown in a window of its own.
    MonitorDetailView& show(const Monitor& monitor, MonitorDetailTab tab, MonitorTabViews views = tabViews())
    {
        m_detail = std::make_unique<MonitorDetailView>(
            monitor,
            m_store,
            m_workspace,
            nullptr,
            tab,
            [this](MonitorDetailTab picked) { m_picked.push_back(picked); },
            std::move(views));
        m_detail->resize(800, 600);
        m_detail->show();
        return *m_detail;
    }

    std::unique_ptr<MonitorDetailView> m_detail;
    std::vector<MonitorDetailTab> m_picked;
};

using Tab = MonitorDetailTab;

TEST_F(MonitorDetailViewTest, theTabsComeOnlyAfterThePlaceholderWasPaintedAndThenTheStepsLoad)
{
    MonitorDetailView& detail = show(m_workspace.monitors().front(), Tab::steps);
    EXPECT_FALSE(detail.isPresented());
    EXPECT_FALSE(m_store.session(m_monitor)) << "no Steps load before the tabs";
    ASSERT_TRUE(waitUntil([&] { return detail.isPresented(); }));
    EXPECT_EQ(detail.tabs(), (std::vector{Tab::steps, Tab::schedule, Tab::history, Tab::charts, Tab::details}));
    ASSERT_TRUE(waitUntil([&] { return m_store.session(m_monitor) != nullptr; }));
}

TEST_F(MonitorDetailViewTest, aPresentationReportsOnceAndOnlyAfterAPaintWithSizeInAShownWindow)
{
    int reports = 0;
    auto* hidden = new MonitorSelectionPresentation([&] { ++reports; });
    hidden->resize(100, 100);
    QWidget window;
    window.resize(200, 200);
    auto* empty = new MonitorSelectionPresentation([&] { ++reports; }, &window);
    empty->resize(0, 50);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QCoreApplication::processEvents();
    EXPECT_EQ(reports, 0) << "not shown, or shown without width";
    EXPECT_TRUE(empty->testAttribute(Qt::WA_TransparentForMouseEvents)) << "clicks reach what lies beneath";

    empty->resize(100, 100);
    ASSERT_TRUE(waitUntil([&] { return reports == 1; }));
    empty->setOnPresented([&] { ++reports; });
    empty->repaint();
    QCoreApplication::processEvents();
    EXPECT_EQ(reports, 1) << "one report in its life";
    delete hidden;
}

TEST_F(MonitorDetailViewTest, withoutADraftTheRememberedScheduleTabShowsStepsAndStaysRemembered)
{
    Monitor unlisted = m_workspace.monitors().front();
    unlisted.id = Uuid::random(); // the workspace holds no draft for it
    MonitorDetailView& detail = show(unlisted, Tab::schedule);
    ASSERT_TRUE(waitUntil([&] { return detail.isPresented(); }));
    EXPECT_EQ(detail.tabs(), (std::vector{Tab::steps, Tab::history, Tab::charts}));
    EXPECT_EQ(detail.currentTab(), Tab::steps);
    EXPECT_TRUE(m_picked.empty()) << "the remembered tab is not changed";

    detail.tabWidget()->setCurrentIndex(2);
    EXPECT_EQ(m_picked, (std::vector{Tab::charts})) << "a tab the user picks is reported";
}

TEST_F(MonitorDetailViewTest, theHeaderShowsNameAndDomainOnOneLineWithTheWholeTextsAsTooltips)
{
    loadSaved();
    const std::string longName(200, 'N');
    Monitor monitor = m_workspace.monitors().front();
    monitor.name = longName;
    MonitorDetailView& detail = show(monitor, Tab::steps);
    const MonitorDetailHeader* header = detail.header();
    EXPECT_EQ(header->objectName(), QStringLiteral("monitor-detail-header"));
    EXPECT_EQ(header->nameLabel()->toolTip().toStdString(), longName);
    EXPECT_LT(header->nameLabel()->shownText().size(), static_cast<qsizetype>(longName.size()));
    EXPECT_EQ(header->nameLabel()->height(), header->nameLabel()->fontMetrics().height());

    EXPECT_EQ(header->domainLabel()->text(), QStringLiteral("No URL set")) << "summaries of the first load";
    TaskHandle<void>([this](std::stop_token) { return m_workspace.refreshSidebarSummaries(); });
    ASSERT_TRUE(waitUntil([&] { return header->domainLabel()->text() == QStringLiteral("a.test"); }));
    EXPECT_EQ(header->domainLabel()->toolTip(), QStringLiteral("a.test"));
}

TEST_F(MonitorDetailViewTest, theApplicationsTabsAreTheStepsHistoryAndChartsViewsAndTheChartRangeComesBack)
{
    const Monitor monitor = m_workspace.monitors().front();
    const auto chartsModel = [this] {
        EXPECT_TRUE(waitUntil([&] { return m_detail->isPresented(); }));
        QWidget* charts = m_detail->tabWidget()->widget(3);
        EXPECT_TRUE(qobject_cast<MonitorChartsView*>(charts));
        EXPECT_TRUE(qobject_cast<MonitorHistoryView*>(m_detail->tabWidget()->widget(2)));
        EXPECT_TRUE(qobject_cast<StepsEditorView*>(m_detail->tabWidget()->widget(0)));
        return charts->findChild<MonitorCharts*>();
    };
    show(monitor, Tab::charts, standardMonitorTabViews());
    MonitorCharts* first = chartsModel();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->preset(), ChartPreset::all) << "a monitor never changed opens with all";
    first->setPreset(ChartPreset::week);

    show(monitor, Tab::charts, standardMonitorTabViews()); // selected again: a new detail view
    MonitorCharts* second = chartsModel();
    ASSERT_TRUE(second);
    EXPECT_NE(second, first);
    EXPECT_EQ(second->preset(), ChartPreset::week);
}

} // namespace
} // namespace tavlen::ui::test
