#include "ChartNumberLaneModel.h"

#include "ChartUiTestValues.h"

#include <gtest/gtest.h>

namespace tavlen::ui {
namespace {

using test::chartID;
using test::numberAt;

std::vector<int> checksOf(const std::vector<ChartReading>& readings)
{
    std::vector<int> numbers;
    for (const ChartReading& reading : readings) {
        numbers.push_back(std::stoi(reading.checkID.lowercaseString().substr(24)));
    }
    return numbers;
}

ChartSeries seriesOf(ChartWindow window, std::vector<ChartNumericSegment> segments, std::vector<ChartReading> numbers)
{
    ChartSeries series;
    series.snapshotID = chartID(777);
    series.window = window;
    series.numericSegments = std::move(segments);
    series.numbers = std::move(numbers);
    series.hasNumberLane = true;
    return series;
}

// Checks first...last, one per millisecond from time first, value alternating 1 and 9.
std::vector<ChartReading> run(int first, int last)
{
    std::vector<ChartReading> readings;
    for (int n = first; n <= last; ++n) {
        readings.push_back(numberAt(n, n, n % 2 == 0 ? 9 : 1));
    }
    return readings;
}

TEST(ChartNumberLaneModelTest, drawingKeepsSegmentEndsAndLooseReadingsAsDots)
{
    // Window [10, 50). Segment 0 runs from before the window to after it; check 30 stands alone inside it;
    // check 60 lies after the window.
    std::vector<ChartReading> segmentPoints = run(1, 25);
    const std::vector<ChartReading> more = run(45, 55);
    segmentPoints.insert(segmentPoints.end(), more.begin(), more.end());
    std::vector<ChartReading> numbers = segmentPoints;
    numbers.push_back(numberAt(30, 30, 4));
    numbers.push_back(numberAt(60, 60, 4));
    std::sort(numbers.begin(), numbers.end(), [](const auto& a, const auto& b) {
        return a.timeMilliseconds < b.timeMilliseconds;
    });
    const ChartSeries series = seriesOf({10, 50}, {{0, segmentPoints, true}}, numbers);

    // Unthinned: 36 segment readings fit 4 × 10 buckets.
    const ChartNumberLaneDrawing full = makeNumberLaneDrawing(series, 10);
    EXPECT_EQ(full.segments[0].points.size(), 36u);
    EXPECT_TRUE(full.segments[0].interrupted);
    EXPECT_EQ(checksOf(full.points), (std::vector<int>{10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
                                                       21, 22, 23, 24, 25, 30, 45, 46, 47, 48, 49}));

    // One bucket: the segment keeps first, lowest, highest and last of the runs before, inside and after the
    // window; the dots are the in-window extremes, and the loose check 30, each once by ordinal. The segment's
    // own ends lie outside the window.
    const ChartNumberLaneDrawing thin = makeNumberLaneDrawing(series, 1);
    EXPECT_EQ(checksOf(thin.segments[0].points), (std::vector<int>{1, 2, 9, 10, 11, 49, 50, 51, 55}));
    EXPECT_EQ(checksOf(thin.points), (std::vector<int>{10, 11, 30, 49}));
}

TEST(ChartNumberLaneModelTest, exactlyFourReadingsPerBucketAreDrawnInFull)
{
    const ChartSeries fits = seriesOf({1, 9}, {{0, run(1, 8), false}}, run(1, 8));
    EXPECT_EQ(makeNumberLaneDrawing(fits, 2).segments[0].points.size(), 8u);
    const ChartSeries over = seriesOf({1, 10}, {{0, run(1, 9), false}}, run(1, 9));
    EXPECT_LT(makeNumberLaneDrawing(over, 2).segments[0].points.size(), 9u);
}

TEST(ChartNumberLaneModelTest, drawableNumbers)
{
    EXPECT_FALSE(hasDrawableNumbers(seriesOf({10, 20}, {}, {numberAt(1, 5, 1), numberAt(2, 20, 1)})));
    EXPECT_TRUE(hasDrawableNumbers(seriesOf({10, 20}, {}, {numberAt(1, 5, 1), numberAt(2, 10, 1)})));
    // A segment made only of readings around the window still draws a line across it.
    EXPECT_TRUE(hasDrawableNumbers(seriesOf({10, 20}, {{0, {numberAt(1, 5, 1), numberAt(2, 25, 1)}, false}}, {})));
}

TEST(ChartNumberLaneModelTest, keyAndBucketCount)
{
    EXPECT_EQ(numberLaneDrawingKey(*Uuid::parse("0a0b0c0d-0000-4000-8000-00000000abcd"), 600),
              "0A0B0C0D-0000-4000-8000-00000000ABCD-600");

    struct Row
    {
        double width;
        int buckets;
    };

    for (const Row row : {Row{670.9, 600}, Row{72, 2}, Row{71.9, 1}, Row{71, 1}, Row{0, 1}, Row{-5, 1}}) {
        SCOPED_TRACE(row.width);
        EXPECT_EQ(numberLaneBucketCount(row.width), row.buckets);
    }
}

TEST(ChartNumberLaneModelTest, hoverSnapsToTheNearestReadingOfTheWindow)
{
    const ChartSeries series =
        seriesOf({0, 100}, {}, {numberAt(1, -10, 1), numberAt(2, 20, 2), numberAt(3, 40, 3), numberAt(4, 100, 4)});
    const QRectF plot(0, 0, 200, 160);
    const ChartTimeScale scale{series.window, plot.left(), plot.width()};

    struct Row
    {
        const char* name;
        QPointF point;
        int expected; // 0: none
    };

    const Row rows[] = {
        {"before the first reading of the window", {2, 80}, 2},
        {"halfway between two: the earlier", {60, 80}, 2},
        {"nearer the later one", {62, 80}, 3},
        {"after the last reading of the window", {199, 80}, 3},
        {"below the plot, over the time axis", {60, 160}, 0},
        {"left of the plot", {-1, 80}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::optional<ChartReading> found = numberLaneHoverCandidate(series, scale, plot, row.point);
        EXPECT_EQ(found ? std::stoi(found->checkID.lowercaseString().substr(24)) : 0, row.expected);
    }
    EXPECT_FALSE(numberLaneHoverCandidate(seriesOf({0, 100}, {}, {numberAt(1, 100, 1)}), scale, plot, {50, 50}));

    EXPECT_FALSE(isNewNumberHover(std::nullopt, std::nullopt));
    EXPECT_FALSE(isNewNumberHover(numberAt(2, 20, 2), numberAt(2, 20, 5)));
    EXPECT_TRUE(isNewNumberHover(numberAt(2, 20, 2), numberAt(3, 40, 3)));
    EXPECT_TRUE(isNewNumberHover(numberAt(2, 20, 2), std::nullopt));
}

TEST(ChartNumberLaneModelTest, valueLabelStaysInsideTheChart)
{
    EXPECT_DOUBLE_EQ(numberValueLabelLeft(100, 40, 300), 80);
    EXPECT_DOUBLE_EQ(numberValueLabelLeft(5, 40, 300), 0);
    EXPECT_DOUBLE_EQ(numberValueLabelLeft(299, 40, 300), 260);
    EXPECT_DOUBLE_EQ(numberValueLabelLeft(10, 40, 30), 0);
}

TEST(ChartNumberLaneModelTest, aHoveredReadingDroppedByThinningIsDrawnOnItsSegment)
{
    const std::vector<ChartNumericSegment> thinned{{0, {numberAt(1, 1, 1), numberAt(5, 5, 1)}, false}};
    EXPECT_EQ(checksOf(numberLaneSegments(thinned, numberAt(3, 3, 7))[0].points), (std::vector<int>{1, 3, 5}));
    EXPECT_EQ(checksOf(numberLaneSegments(thinned, numberAt(9, 9, 7))[0].points), (std::vector<int>{1, 5}));
}

TEST(ChartNumberLaneModelTest, theInsertionFoundByBisectionIsTheChangeOfAllSegments)
{
    // Three neighbouring segments thinned to their ends (1-5, 5-9, 9-14), then a gap and 20-24.
    const std::vector<ChartNumericSegment> thinned{{0, {numberAt(1, 1, 1), numberAt(5, 5, 1)}, false},
                                                   {1, {numberAt(5, 5, 1), numberAt(9, 9, 1)}, true},
                                                   {2, {numberAt(9, 9, 1), numberAt(14, 14, 1)}, false},
                                                   {3, {numberAt(20, 20, 1), numberAt(24, 24, 1)}, false}};
    for (const int check : {0, 1, 3, 5, 7, 9, 12, 14, 17, 20, 22, 24, 30}) {
        SCOPED_TRACE(check);
        const std::optional<ChartReading> hovered =
            check == 0 ? std::nullopt : std::optional<ChartReading>(numberAt(check, check, 3));
        const std::vector<ChartNumericSegment> all = numberLaneSegments(thinned, hovered);
        const std::optional<ChartHoverInsertion> found = numberLaneHoverInsertion(thinned, hovered);
        std::optional<std::size_t> changed;
        for (std::size_t index = 0; index < all.size(); ++index) {
            if (all[index].points.size() != thinned[index].points.size()) {
                changed = index;
            }
        }
        ASSERT_EQ(found.has_value(), changed.has_value());
        if (found) {
            EXPECT_EQ(found->index, *changed);
            EXPECT_EQ(found->segment, all[*changed]);
        }
    }
}

} // namespace
} // namespace tavlen::ui
