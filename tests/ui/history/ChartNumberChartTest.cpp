#include "ChartNumberChart.h"

#include "BoundedWait.h"
#include "ChartUiTestValues.h"
#include "Formatting.h"

#include <QAccessible>
#include <QScrollArea>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>

namespace tavlen::ui {
namespace {

using test::numberAt;

// Checks 1 ... 5 a second apart, one segment, over the window [0, 6 s).
std::shared_ptr<const ChartSeries> fiveReadings()
{
    auto series = std::make_shared<ChartSeries>();
    series->snapshotID = Uuid::random();
    series->title = "Price";
    series->window = {0, 6000};
    series->hasNumberLane = true;
    std::vector<ChartReading> readings;
    for (int i = 1; i <= 5; ++i) {
        readings.push_back(numberAt(i, i * 1000, 10 * i));
    }
    series->numbers = ChartNumbers(readings);
    series->numericSegments = {{0, series->numbers, false}};
    series->numericDomain = {0, 60};
    return series;
}

TEST(ChartNumberChartTest, onlyLanesScrolledIntoSightComputeTheirDrawing)
{
    QScrollArea scroll;
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    std::vector<ChartNumberChart*> lanes;
    for (int i = 0; i < 6; ++i) {
        lanes.push_back(new ChartNumberChart(fiveReadings()));
        layout->addWidget(lanes.back());
    }
    scroll.setWidget(column);
    scroll.setWidgetResizable(true);
    scroll.resize(700, 300);
    scroll.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&scroll));
    ASSERT_TRUE(tavlen::test::waitUntil([&] { return !lanes.front()->drawing().points.empty(); }));
    EXPECT_TRUE(lanes.back()->drawing().points.empty());
    EXPECT_FALSE(lanes.back()->isDrawing());

    scroll.ensureWidgetVisible(lanes.back());
    EXPECT_TRUE(tavlen::test::waitUntil([&] { return !lanes.back()->drawing().points.empty(); }));
}

TEST(ChartNumberChartTest, accessibilityToolsReadEachLineReadingAndDotByTimeAndValue)
{
    ChartNumberChart lane(fiveReadings());
    lane.resize(700, lane.sizeHint().height());
    lane.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&lane));
    ASSERT_TRUE(tavlen::test::waitUntil([&] { return !lane.drawing().points.empty(); }));

    QAccessibleInterface* chart = QAccessible::queryAccessibleInterface(&lane);
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(chart->role(), QAccessible::Chart);
    const std::size_t marks = numberLaneMarkCount(lane.drawnSegments(), lane.drawing().points);
    EXPECT_EQ(marks, 5u + lane.drawing().points.size());
    const int labels = chart->childCount() - static_cast<int>(marks);
    ASSERT_GE(labels, 0);
    // The line's third reading, then the first dot.
    const std::vector<std::pair<int, QString>> expected{
        {labels + 2, QStringLiteral("Time: ") + formatMoment(3000) + QStringLiteral(", Value: 30")},
        {labels + 5, QStringLiteral("Time: ") + formatMoment(1000) + QStringLiteral(", Value: 10")},
    };
    for (const auto& [index, name] : expected) {
        SCOPED_TRACE(index);
        QAccessibleInterface* mark = chart->child(index);
        ASSERT_NE(mark, nullptr);
        EXPECT_EQ(mark->text(QAccessible::Name), name);
        EXPECT_EQ(chart->indexOfChild(mark), index);
        EXPECT_EQ(chart->child(index), mark);
        const QPoint centre = lane.mapFromGlobal(mark->rect().center());
        const std::optional<ChartNumberMark> shown =
            numberLaneMark(lane.drawnSegments(), lane.drawing().points, static_cast<std::size_t>(index - labels));
        ASSERT_TRUE(shown.has_value());
        EXPECT_LE((QPointF(centre) - lane.markPosition(*shown)).manhattanLength(), 2);
    }
    EXPECT_EQ(chart->child(chart->childCount()), nullptr);
}

} // namespace
} // namespace tavlen::ui
