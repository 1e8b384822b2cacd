#include "ChartDateDomain.h"
#include "ChartDownsampling.h"
#include "ChartSeries.h"
#include "ChartTestValues.h"
#include "ChartTextInterval.h"

#include <gtest/gtest.h>

namespace tavlen {
namespace {

using test::chartID;
using test::numberAt;

const Uuid field = chartID(900);

std::vector<int> checksOf(const std::vector<ChartReading>& readings)
{
    std::vector<int> numbers;
    for (const ChartReading& reading : readings) {
        numbers.push_back(std::stoi(reading.checkID.lowercaseString().substr(24)));
    }
    return numbers;
}

// Readings of checks 1...count, one per millisecond from time 0, with the given values (cycled).
std::vector<ChartReading> readingsOf(int count, std::vector<double> values)
{
    std::vector<ChartReading> readings;
    for (int i = 0; i < count; ++i) {
        readings.push_back(numberAt(field, i + 1, i, values[static_cast<std::size_t>(i) % values.size()]));
    }
    return readings;
}

TEST(ChartDrawingTest, downsamplingKeepsShortListsAndEachBucketsExtremes)
{
    EXPECT_EQ(checksOf(downsampleReadings(readingsOf(12, {1}), 0, 12, 3)), checksOf(readingsOf(12, {1})));
    EXPECT_EQ(downsampleReadings(readingsOf(4, {1}), 0, 4, 0).size(), 4u);
    EXPECT_EQ(downsampleReadings(readingsOf(4, {1}), 0, 4, -5).size(), 4u);

    // 13 readings in 3 buckets of [0, 12) and one at the end: times 0-3, 4-7, 8-11, then 12.
    const std::vector<ChartReading> values = readingsOf(13, {5, 1, 9, 5, 5, 5, 5, 5, 2, 8, 3, 4, 7});
    EXPECT_EQ(checksOf(downsampleReadings(values, 0, 12, 3)), (std::vector<int>{1, 2, 3, 4, 5, 8, 9, 10, 12, 13}));

    // Readings before the window share a bucket, as do those at or after its end; an empty window puts a reading
    // at its start after it.
    const std::vector<ChartReading> spread = {numberAt(field, 1, -30, 1),
                                              numberAt(field, 2, -20, 2),
                                              numberAt(field, 3, -10, 0),
                                              numberAt(field, 4, -5, 3),
                                              numberAt(field, 5, -1, 1),
                                              numberAt(field, 6, 50, 1),
                                              numberAt(field, 7, 200, 1),
                                              numberAt(field, 8, 300, 1),
                                              numberAt(field, 9, 400, 1)};
    EXPECT_EQ(checksOf(downsampleReadings(spread, 0, 100, 2)), (std::vector<int>{1, 3, 4, 5, 6, 7, 9}));
    EXPECT_EQ(downsampleReadings(readingsOf(9, {1}), 0, 0, 1).size(), 2u); // bucket b for time 0, then b again
}

TEST(ChartDrawingTest, bucketExtremesComeByOrdinalAndEachCheckOnce)
{
    struct Row
    {
        const char* name;
        std::vector<ChartReading> bucket;
        std::vector<int> kept;
    };

    const std::vector<Row> rows{
        {"one reading", {numberAt(field, 1, 0, 5)}, {1}},
        {"the first is the lowest",
         {numberAt(field, 1, 0, 1), numberAt(field, 2, 1, 9), numberAt(field, 3, 2, 5)},
         {1, 2, 3}},
        {"ties go to the first",
         {numberAt(field, 1, 0, 5), numberAt(field, 2, 1, 5), numberAt(field, 3, 2, 5)},
         {1, 3}},
        {"lowest and highest in between",
         {numberAt(field, 1, 0, 5), numberAt(field, 2, 1, 9), numberAt(field, 3, 2, 1), numberAt(field, 4, 3, 5)},
         {1, 2, 3, 4}},
        {"ordinal order wins over pick order",
         {numberAt(field, 1, 0, 5, 10), numberAt(field, 2, 1, 0, 3), numberAt(field, 3, 2, 5, 4)},
         {2, 3, 1}},
        {"an empty bucket", {}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<ChartReading> bucket = row.bucket;
        std::vector<ChartReading> output = {numberAt(field, 1, -1, 0)}; // an earlier bucket's reading stays
        appendBucketExtremes(bucket, output);
        EXPECT_TRUE(bucket.empty());
        output.erase(output.begin());
        EXPECT_EQ(checksOf(output), row.kept);
    }
}

TEST(ChartDrawingTest, aHoveredReadingIsPutBackOnItsSegment)
{
    const ChartNumericSegment segment{3, {numberAt(field, 2, 20, 1), numberAt(field, 6, 60, 2)}, true};
    EXPECT_EQ(segment.including(std::nullopt), segment);
    EXPECT_EQ(segment.including(numberAt(field, 1, 10, 1)), segment);
    EXPECT_EQ(segment.including(numberAt(field, 7, 70, 1)), segment);
    EXPECT_EQ(segment.including(numberAt(field, 6, 60, 2)), segment);
    const ChartNumericSegment with = segment.including(numberAt(field, 4, 40, 8));
    EXPECT_EQ(checksOf(with.points), (std::vector<int>{2, 4, 6}));
    EXPECT_EQ(with.id, 3);
    EXPECT_TRUE(with.interrupted);
    EXPECT_EQ(ChartNumericSegment{}.including(numberAt(field, 4, 40, 8)), ChartNumericSegment{});
}

TEST(ChartDrawingTest, theNearestNumberLiesInsideTheWindow)
{
    ChartSeries series;
    series.window = {0, 100};
    series.numbers = {numberAt(field, 1, -10, 1),
                      numberAt(field, 2, 10, 2),
                      numberAt(field, 3, 30, 3),
                      numberAt(field, 4, 30, 4),
                      numberAt(field, 5, 90, 5),
                      numberAt(field, 6, 100, 6)};
    const auto nearest = [&](std::int64_t time) {
        const auto reading = series.nearestNumber(time);
        return reading ? checksOf({*reading}).front() : 0;
    };
    EXPECT_EQ(nearest(20), 2);  // midway: the earlier
    EXPECT_EQ(nearest(21), 3);  // the first reading at that time
    EXPECT_EQ(nearest(-50), 2); // before the window: the first inside
    EXPECT_EQ(nearest(500), 5); // after it: the last inside
    EXPECT_EQ(nearest(std::numeric_limits<std::int64_t>::min()), 2);
    EXPECT_EQ(nearest(89), 5);
    series.window = {40, 80};
    EXPECT_EQ(nearest(50), 0);
}

TEST(ChartDrawingTest, theTimeAxisAndIntervalLengthsInWords)
{
    EXPECT_EQ(chartDateDomain(1500, 3000),
              (ChartDateDomain{Date::fromSecondsSince1970(1.5), Date::fromSecondsSince1970(3)}));

    struct Row
    {
        std::int64_t milliseconds;
        const char* text;
    };

    const std::vector<Row> rows{{0, "0s"},
                                {999, "0s"},
                                {45'000, "45s"},
                                {3'723'000, "1h 2m"},
                                {3'600'000 + 5'000, "1h"},
                                {90'061'000, "1d 1h"},
                                {86'400'000 + 60'000, "1d"},
                                {400 * 86'400'000LL, "400d"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.milliseconds);
        EXPECT_EQ(chartDurationText(row.milliseconds, "en_US"), row.text);
    }
    ChartTextInterval interval{chartID(1), "A", "Field", 0, 3'723'000, false, 0, false, std::nullopt};
    EXPECT_TRUE(interval.durationText().has_value());
    interval.isOpenEnded = true;
    EXPECT_EQ(interval.durationText(), std::nullopt);
}

} // namespace
} // namespace tavlen
