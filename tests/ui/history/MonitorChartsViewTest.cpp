// The Charts tab over the real charts model, reading a real workspace file through the steps store.
#include "MonitorChartsView.h"

#include "BoundedWait.h"
#include "ChartIssueHoverView.h"
#include "ChartIssueStrip.h"
#include "ChartNumberChart.h"
#include "ChartPanel.h"
#include "ChartSnapshotReader.h"
#include "ChartTextChart.h"
#include "ChartTextHoverView.h"
#include "Formatting.h"
#include "KitPopup.h"
#include "MonitorCharts.h"
#include "NoCaptures.h"
#include "SQLiteMonitorCheckRepository.h"
#include "SQLiteStepsRepository.h"
#include "StepsStore.h"
#include "WorkspaceFixture.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

namespace tavlen::ui {
namespace {

using tavlen::test::numberField;
using tavlen::test::textField;

// An Open page step and one Read step of the fields. Filled in place: g++ 12 in an optimised build warns about
// moving the step's variant out of a temporary.
StepsDocument workflowReading(const Uuid& modelID, std::vector<StepsDocument::Field> fields)
{
    StepsDocument document;
    StepsDocumentEntry& open = document.steps.emplace_back();
    open.id = Uuid::random();
    open.content =
        StepsDocument::OpenPage{"https://example.com/prices", 1, BrowserCaptureSettings{1280, 900, 2, false}};
    StepsDocumentEntry& read = document.steps.emplace_back();
    read.id = Uuid::random();
    read.sourceID = document.steps.front().id;
    read.region = BrowserRect{10, 20, 200, 40};
    read.content = StepsDocument::Read{std::move(fields), modelID, 60};
    return document;
}

constexpr std::int64_t hour = 3'600'000;

using tavlen::test::NoCaptures;

class MonitorChartsViewTest : public tavlen::test::WorkspaceFixture
{
protected:
    MonitorChartsViewTest()
    {
        finish(m_steps.saveSteps(m_monitor,
                                 std::nullopt,
                                 StepsWorkflow{workflowReading(
                                     insertModel(), {numberField("Price", m_price), textField("Stock", m_stock)})}));
        m_times = {m_now - 5 * hour, m_now - 3 * hour, m_now - 2 * hour, m_now - hour};
        addCheck(m_times[0],
                 {{m_price, "Price", ReadingValue::ofNumber(9)}, {m_stock, "Stock", ReadingValue::ofText("In stock")}});
        addCheck(
            m_times[1],
            {{m_price, "Price", ReadingValue::ofNumber(1234.5)}, {m_stock, "Stock", ReadingValue::ofText("In stock")}});
        m_failed = addCheck(m_times[2], {}, MonitorCheckFailure("cancelled", "Execution cancelled."));
        addCheck(
            m_times[3],
            {{m_price, "Price", ReadingValue::ofNumber(12)}, {m_stock, "Stock", ReadingValue::ofText("Sold\nout")}});
    }

    ~MonitorChartsViewTest() override
    {
        m_view.reset();
        finish(m_store.waitUntilIdle(true));
    }

    Uuid addCheck(std::int64_t startedAt,
                  std::vector<std::tuple<Uuid, std::string, ReadingValue>> readings,
                  std::optional<MonitorCheckFailure> failure = std::nullopt)
    {
        MonitorCheckRecord record;
        record.check = MonitorCheck{Uuid::random(),
                                    m_monitor,
                                    startedAt,
                                    startedAt + 5,
                                    std::move(failure),
                                    static_cast<std::int64_t>(readings.size()),
                                    std::nullopt};
        for (auto& [field, name, value] : readings) {
            record.readings.push_back(Reading{field, name, value});
        }
        finish(m_repository->record(record));
        return record.check.id;
    }

    // Shows the tab and waits for its first load.
    MonitorChartsView& show()
    {
        m_view = std::make_unique<MonitorChartsView>(0, m_charts);
        m_view->resize(900, 900);
        m_view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_view.get()));
        EXPECT_TRUE(tavlen::test::waitUntil([&] { return m_charts.hasLoaded() && !m_charts.isLoading(); }));
        // The panels of the load are laid out across the tab before a test reads where their lanes put things.
        EXPECT_TRUE(tavlen::test::waitUntil([&] {
            const std::vector<ChartPanel*> panels = m_view->panels();
            return std::all_of(panels.begin(), panels.end(), [](ChartPanel* panel) {
                return panel->isVisible() && panel->width() > 700;
            });
        }));
        return *m_view;
    }

    QString textOf(const char* name) const { return m_view->findChild<QLabel*>(QString::fromUtf8(name))->text(); }

    // The x of a time in a lane whose plot is given.
    static int xOf(std::int64_t time, const QRectF& plot, const ChartWindow& window)
    {
        return static_cast<int>(*ChartTimeScale{window, plot.left(), plot.width()}.position(time));
    }

    std::int64_t m_now = Date::now().milliseconds();
    Uuid m_monitor = insertMonitor();
    Uuid m_price = Uuid::random();
    Uuid m_stock = Uuid::random();
    Uuid m_failed;
    std::vector<std::int64_t> m_times;
    std::shared_ptr<SQLiteMonitorCheckRepository> m_repository =
        std::make_shared<SQLiteMonitorCheckRepository>(m_database);
    SQLiteStepsRepository m_steps{m_database};
    NoCaptures m_capture;
    StepsStore m_store{m_steps,
                       m_capture,
                       nullptr,
                       m_repository,
                       std::make_shared<ChartSnapshotReader>(m_database),
                       BrowserCaptureSettings{1280, 900, 2, false}};
    std::vector<ChartPreset> m_remembered;
    MonitorCharts m_charts{m_monitor, m_store, ChartPreset::all, [this](ChartPreset p) { m_remembered.push_back(p); }};
    std::unique_ptr<MonitorChartsView> m_view;
};

TEST_F(MonitorChartsViewTest, panelsFollowTheFilterAndTheRange)
{
    MonitorChartsView& view = show();
    ASSERT_EQ(view.panels().size(), 2u);
    EXPECT_EQ(textOf("chart-field-count"), QStringLiteral("2 fields"));
    ChartPanel* prices = view.panels()[0];
    EXPECT_TRUE(prices->numberChart());
    EXPECT_FALSE(prices->textChart());
    ASSERT_TRUE(prices->issueStrip());
    EXPECT_EQ(prices->issueStrip()->summaryButton()->text(), QStringLiteral("1 missing reading"));
    EXPECT_TRUE(view.panels()[1]->textChart());

    auto* filter = view.findChild<QLineEdit*>(QStringLiteral("chart-filter"));
    auto* clear = view.findChild<QAbstractButton*>(QStringLiteral("chart-filter-clear"));
    EXPECT_FALSE(clear->isVisible());
    QTest::keyClicks(filter, QStringLiteral("PRI"));
    EXPECT_EQ(m_charts.filter(), "PRI");
    EXPECT_EQ(textOf("chart-field-count"), QStringLiteral("1 field"));
    ASSERT_EQ(view.panels().size(), 1u);
    EXPECT_EQ(view.panels()[0], prices); // the field kept its panel
    QTest::mouseClick(clear, Qt::LeftButton);
    EXPECT_EQ(textOf("chart-field-count"), QStringLiteral("2 fields"));

    // Choosing the selected range changes nothing; another range is remembered and loads again.
    auto* all = view.findChild<QAbstractButton*>(QStringLiteral("chart-range-ALL"));
    QTest::mouseClick(all, Qt::LeftButton);
    EXPECT_TRUE(m_remembered.empty());
    EXPECT_FALSE(m_charts.isLoading());
    QTest::mouseClick(view.findChild<QAbstractButton*>(QStringLiteral("chart-range-6H")), Qt::LeftButton);
    EXPECT_EQ(m_remembered, std::vector<ChartPreset>{ChartPreset::sixHours});
    ASSERT_TRUE(tavlen::test::waitUntil([&] { return m_charts.hasLoaded() && !m_charts.isLoading(); }));
    EXPECT_EQ(m_charts.window()->endMilliseconds - m_charts.window()->startMilliseconds, 6 * hour);
}

TEST_F(MonitorChartsViewTest, hoveringTheNumberLaneShowsTheReadingsValueAndTime)
{
    MonitorChartsView& view = show();
    ChartNumberChart* lane = view.panels()[0]->numberChart();
    const QRectF plot = lane->plotRect();
    const int y = static_cast<int>(plot.center().y());
    QTest::mouseMove(lane, QPoint(xOf(m_times[1], plot, m_charts.window().value()) + 2, y));
    ASSERT_TRUE(tavlen::test::waitUntil([&] { return lane->hover().has_value(); }));
    EXPECT_EQ(textOf("chart-hover-value"), QStringLiteral("1,234.5"));
    EXPECT_EQ(textOf("chart-hover-time"), formatMoment(m_times[1]));

    // Below the plot, over the time axis, nothing is hovered.
    QTest::mouseMove(lane,
                     QPoint(xOf(m_times[1], plot, m_charts.window().value()), static_cast<int>(plot.bottom()) + 5));
    ASSERT_TRUE(tavlen::test::waitUntil([&] { return !lane->hover().has_value(); }));
    EXPECT_EQ(textOf("chart-hover-time"), QString());
}

TEST_F(MonitorChartsViewTest, hoveringATextBarOpensItsTooltipAndEscapeClosesIt)
{
    MonitorChartsView& view = show();
    ChartTextChart* lane = view.panels()[1]->textChart();
    ASSERT_EQ(lane->blocks().size(), 2u);
    const QRectF soldOut = lane->blocks()[1].rect;
    QTest::mouseMove(lane->hoverView(), soldOut.center().toPoint() + QPoint(2, 0));
    ASSERT_TRUE(tavlen::test::waitUntil([&] { return lane->hoverID().has_value(); }));
    EXPECT_EQ(*lane->hoverID(), lane->blocks()[1].interval.id);
    KitPopup* tooltip = lane->hoverView()->tooltip();
    ASSERT_TRUE(tooltip);
    EXPECT_EQ(tooltip->findChild<QLabel*>(QStringLiteral("chart-text-content"))->text(), QStringLiteral("Sold\nout"));
    EXPECT_EQ(tooltip->findChild<QLabel*>(QStringLiteral("chart-text-start"))->text(), formatMoment(m_times[3]));
    EXPECT_FALSE(tooltip->findChild<QLabel*>(QStringLiteral("chart-text-end"))); // open-ended

    QTest::keyClick(&view, Qt::Key_Escape);
    EXPECT_FALSE(lane->hoverView()->tooltip());
    EXPECT_FALSE(lane->hoverID().has_value());
}

TEST_F(MonitorChartsViewTest, theExpandedStripShowsTheMissingChecksTime)
{
    MonitorChartsView& view = show();
    ChartIssueStrip* strip = view.panels()[0]->issueStrip();
    QTest::mouseClick(strip->summaryButton(), Qt::LeftButton);
    ASSERT_TRUE(strip->isExpanded());
    ChartIssueTrack* track = strip->track();
    ASSERT_TRUE(tavlen::test::waitUntil(
        [&] { return track->isVisible() && track->width() > 0 && track->markers().size() == 1; }));
    const QPoint marker(static_cast<int>(track->markers()[0].x), 12);
    QTest::mouseMove(track->hoverView(), marker);
    ASSERT_TRUE(tavlen::test::waitUntil([&] { return strip->hoverID() == m_failed; }));
    ASSERT_TRUE(track->hoverView()->tooltip());
    EXPECT_EQ(track->hoverView()->tooltip()->findChild<QLabel*>(QStringLiteral("chart-issue-time"))->text(),
              formatMoment(m_times[2]));

    // Collapsing closes the tooltip; the click itself clears the highlight.
    QTest::mouseClick(strip->summaryButton(), Qt::LeftButton);
    EXPECT_FALSE(strip->isExpanded());
    EXPECT_FALSE(strip->hoverID().has_value());
    EXPECT_EQ(ChartHoverController::active(), nullptr);
}

} // namespace
} // namespace tavlen::ui
