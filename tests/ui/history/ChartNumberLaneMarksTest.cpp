#include "ChartNumberLaneMarks.h"

#include "ChartNumberLaneModel.h"
#include "ChartUiTestValues.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace tavlen::ui {
namespace {

using test::numberAt;

// A 100-point square plot over the window [0, 100) and the values 0 ... 100: a value v lies at y = 100 - v.
ChartNumberLaneGeometry plotOfHundred()
{
    const QRectF plot(0, 0, 100, 100);
    return {{{0, 100}, plot.left(), plot.width()}, plot, {0, 100}};
}

std::vector<QPointF> verticesOf(const QPainterPath& path)
{
    std::vector<QPointF> vertices;
    for (int i = 0; i < path.elementCount(); ++i) {
        vertices.emplace_back(path.elementAt(i).x, path.elementAt(i).y);
    }
    return vertices;
}

TEST(ChartNumberLaneMarksTest, aColumnKeepsFirstLowestHighestAndLastOnTheLineAndItsHighestOnTheTop)
{
    struct Case
    {
        const char* name;
        std::vector<std::pair<std::int64_t, double>> readings; // time (a tenth of a point each), value
        double pixelRatio;
        std::vector<QPointF> line;
        std::vector<QPointF> top;
    };

    const std::vector<Case> cases{
        {"a column each: unchanged",
         {{5, 10}, {15, 20}, {25, 30}},
         1,
         {{0.5, 90}, {1.5, 80}, {2.5, 70}},
         {{0.5, 90}, {1.5, 80}, {2.5, 70}}},
        {"one column: first, highest, lowest, last in their order",
         {{0, 50}, {1, 90}, {2, 60}, {3, 10}, {4, 40}},
         1,
         {{0, 50}, {0.1, 10}, {0.3, 90}, {0.4, 60}},
         {{0, 10}, {0.4, 10}}},
        {"an extreme that is also first or last is kept once",
         {{0, 10}, {5, 50}, {9, 90}},
         1,
         {{0, 90}, {0.9, 10}},
         {{0, 10}, {0.9, 10}}},
        {"a column of one reading between wider ones",
         {{0, 10}, {5, 20}, {12, 30}, {25, 40}, {27, 40}},
         1,
         {{0, 90}, {0.5, 80}, {1.2, 70}, {2.5, 60}, {2.7, 60}},
         {{0, 80}, {0.5, 80}, {1.2, 70}, {2.5, 60}, {2.7, 60}}},
        {"device scale 2 splits a point into two columns",
         {{0, 10}, {2, 30}, {4, 20}, {6, 40}, {8, 50}},
         2,
         {{0, 90}, {0.2, 70}, {0.4, 80}, {0.6, 60}, {0.8, 50}},
         {{0, 70}, {0.4, 70}, {0.6, 50}, {0.8, 50}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<ChartReading> readings;
        int check = 1;
        for (const auto& [time, value] : c.readings) {
            readings.push_back(numberAt(check++, time, value));
        }
        ChartNumberLaneGeometry geometry = plotOfHundred();
        geometry.scale.window = {0, 1000}; // a millisecond is a tenth of a point
        const ChartLaneOutlines outlines = numberLaneOutlines(ChartNumbers(readings), geometry, c.pixelRatio);
        for (const auto& [path, expected] : {std::pair(outlines.line, c.line), std::pair(outlines.top, c.top)}) {
            const std::vector<QPointF> vertices = verticesOf(path);
            ASSERT_EQ(vertices.size(), expected.size());
            for (std::size_t i = 0; i < vertices.size(); ++i) {
                EXPECT_NEAR(vertices[i].x(), expected[i].x(), 1e-9) << i;
                EXPECT_NEAR(vertices[i].y(), expected[i].y(), 1e-9) << i;
            }
        }
    }
}

// The pixels painted in a and the pixels painted in only one of a and b.
std::pair<int, int> paintedAndDiffering(const QImage& a, const QImage& b)
{
    int painted = 0;
    int differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const bool inA = qAlpha(a.pixel(x, y)) != 0;
            painted += inA ? 1 : 0;
            differing += inA != (qAlpha(b.pixel(x, y)) != 0) ? 1 : 0;
        }
    }
    return {painted, differing};
}

TEST(ChartNumberLaneMarksTest, denseReadingsCoverTheSamePixelsAsTheirFullLine)
{
    // 4,000 readings over 100 points, a zigzag within each column: the reduced line paints the pixels of the full
    // line but for a few at the edges of a column.
    std::vector<ChartReading> readings;
    for (int i = 0; i < 4000; ++i) {
        readings.push_back(numberAt(i + 1, i / 4, 40 + (i * 37) % 23));
    }
    ChartNumberLaneGeometry geometry = plotOfHundred();
    geometry.scale.window = {0, 1000};
    const auto strokeOf = [](const QPainterPath& path) {
        QImage image(100, 100, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.strokePath(path, QPen(Qt::black, 1.6, Qt::SolidLine, Qt::FlatCap, Qt::BevelJoin));
        return image;
    };
    QPainterPath full;
    for (const ChartReading& reading : readings) {
        const QPointF at = geometry.at(reading.timeMilliseconds, reading.value.number());
        full.elementCount() == 0 ? full.moveTo(at) : full.lineTo(at);
    }
    const QPainterPath reduced = numberLaneOutlines(ChartNumbers(readings), geometry, 1).line;
    EXPECT_LT(reduced.elementCount(), 4 * 101);
    const auto [painted, differing] = paintedAndDiffering(strokeOf(full), strokeOf(reduced));
    EXPECT_GT(painted, 1000);
    EXPECT_LT(differing, painted / 50);
}

TEST(ChartNumberLaneMarksTest, marksAreTheLinesReadingsThenTheDots)
{
    const std::vector<ChartNumericSegment> segments{
        {0, ChartNumbers({numberAt(1, 10, 5), numberAt(2, 20, 6)}), false},
        {1, ChartNumbers({numberAt(3, 30, 7)}), false}, // one reading: a dot, no line
        {2, ChartNumbers({numberAt(4, 40, 8), numberAt(5, 50, 9), numberAt(6, 60, 1)}), true},
    };
    const std::vector<ChartReading> dots{numberAt(1, 10, 5), numberAt(3, 30, 7)};
    EXPECT_EQ(numberLaneMarkCount(segments, dots), 7u);
    const std::vector<std::optional<ChartNumberMark>> expected{ChartNumberMark{10, 5, false},
                                                               ChartNumberMark{20, 6, false},
                                                               ChartNumberMark{40, 8, false},
                                                               ChartNumberMark{50, 9, false},
                                                               ChartNumberMark{60, 1, false},
                                                               ChartNumberMark{10, 5, true},
                                                               ChartNumberMark{30, 7, true},
                                                               std::nullopt};
    for (std::size_t index = 0; index < expected.size(); ++index) {
        SCOPED_TRACE(index);
        EXPECT_EQ(numberLaneMark(segments, dots, index), expected[index]);
    }
    EXPECT_EQ(numberLaneMarkCount({}, {}), 0u);
    EXPECT_EQ(numberLaneMark({}, {}, 0), std::nullopt);
}

} // namespace
} // namespace tavlen::ui
