#include "ChartSeriesBuilder.h"

#include "CancelledError.h"
#include "ChartTestValues.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tavlen {
namespace {

using test::chartID;
using test::numberAt;
using test::textAt;

const Uuid price = chartID(900);
const Uuid status = chartID(901);

ChartSnapshot snapshotOf(std::vector<ChartReading> samples,
                         ChartWindow window = {0, 100},
                         ReadingFieldType type = ReadingFieldType::number,
                         std::vector<ChartCheckEvent> checks = {})
{
    return ChartSnapshot{window, {ChartField{price, "Price", type, false}}, std::move(samples), std::move(checks)};
}

ChartSeries onlySeries(const ChartSnapshot& snapshot)
{
    std::vector<ChartSeries> series = buildChartSeries(snapshot);
    EXPECT_EQ(series.size(), 1u);
    return series.empty() ? ChartSeries{} : series.front();
}

std::vector<std::vector<std::int64_t>> ordinalsOf(const std::vector<ChartNumericSegment>& segments)
{
    std::vector<std::vector<std::int64_t>> ordinals;
    for (const auto& segment : segments) {
        ordinals.emplace_back();
        for (const auto& point : segment.points) {
            ordinals.back().push_back(point.ordinal);
        }
    }
    return ordinals;
}

TEST(ChartSeriesBuilderTest, theNumberDomainPadsTheReadingsInTheWindow)
{
    struct Row
    {
        const char* name;
        std::vector<double> values;
        ReadingFieldType type;
        ChartNumericDomain domain;
    };

    const double most = std::numeric_limits<double>::max();
    const std::vector<Row> rows{
        {"no readings", {}, ReadingFieldType::number, {-0.05, 1.05}},
        {"one reading of 40", {40}, ReadingFieldType::number, {38, 42}},
        {"one reading of 0.5", {0.5}, ReadingFieldType::number, {-0.5, 1.5}},
        {"one reading of 0", {0}, ReadingFieldType::number, {-1, 1}},
        {"one reading of -100", {-100}, ReadingFieldType::number, {-105, -95}},
        {"readings of 10 and 30", {10, 30}, ReadingFieldType::number, {9, 31}},
        {"the largest finite values", {-most, most}, ReadingFieldType::number, {-most, most}},
        {"numbers of a text field", {5}, ReadingFieldType::text, {4, 6}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<ChartReading> samples;
        for (std::size_t i = 0; i < row.values.size(); ++i) {
            const int check = static_cast<int>(i) + 1;
            samples.push_back(numberAt(price, check, 10 * check, row.values[i]));
        }
        const ChartSeries series = onlySeries(snapshotOf(samples, {0, 100}, row.type));
        EXPECT_DOUBLE_EQ(series.numericDomain.lower, row.domain.lower);
        EXPECT_DOUBLE_EQ(series.numericDomain.upper, row.domain.upper);
        const double span = row.domain.upper / 4 - row.domain.lower / 4;
        for (std::size_t i = 0; i < 5; ++i) {
            EXPECT_NEAR(series.numericTicks[i],
                        row.domain.lower / 4 * static_cast<double>(4 - i) +
                            row.domain.upper / 4 * static_cast<double>(i),
                        std::abs(span) * 1e-12);
        }
        EXPECT_TRUE(series.hasNumberLane);
        EXPECT_EQ(series.hasTextLane, row.type == ReadingFieldType::text);
        EXPECT_TRUE(series.textIntervals.empty());
    }
}

TEST(ChartSeriesBuilderTest, segmentsJoinNeighbouringNumbersAndBreakWhereChecksAreMissing)
{
    // Ordinals 1, 2, 4, 5; a text between 6 and 7; the last reading before and the first after the window.
    const ChartSnapshot snapshot = snapshotOf({numberAt(price, 1, 10, 1),
                                               numberAt(price, 2, 20, 2),
                                               numberAt(price, 4, 40, 4),
                                               numberAt(price, 5, 50, 5),
                                               numberAt(price, 6, 60, 6),
                                               textAt(price, 7, 70, "n/a"),
                                               numberAt(price, 8, 80, 8)});
    const ChartSeries series = onlySeries(snapshot);
    EXPECT_EQ(ordinalsOf(series.numericSegments), (std::vector<std::vector<std::int64_t>>{{1, 2}, {2, 4}, {4, 5, 6}}));
    ASSERT_EQ(series.numericSegments.size(), 3u);
    EXPECT_FALSE(series.numericSegments[0].interrupted);
    EXPECT_TRUE(series.numericSegments[1].interrupted);
    EXPECT_FALSE(series.numericSegments[2].interrupted);
    EXPECT_EQ(series.numericSegments[2].id, 2);
    EXPECT_EQ(series.numbers.size(), 6u);
    EXPECT_TRUE(series.hasTextLane); // a text reading of a number field
    EXPECT_TRUE(series.hasNumberLane);
}

TEST(ChartSeriesBuilderTest, numbersBeyondTheWindowCountOnlyWhereALineReachesThem)
{
    struct Row
    {
        const char* name;
        std::vector<ChartReading> samples;
        std::vector<std::vector<std::int64_t>> segments;
        ChartNumericDomain domain;
    };

    const std::vector<Row> rows{
        {"a neighbour before joined to one inside",
         {numberAt(price, 1, -10, 100), numberAt(price, 2, 10, 20)},
         {{1, 2}},
         {16, 104}},
        {"a neighbour before followed by a text",
         {numberAt(price, 1, -10, 100), textAt(price, 2, 10, "x"), numberAt(price, 3, 20, 20)},
         {},
         {19, 21}},
        {"neighbours on both sides and none inside",
         {numberAt(price, 1, -10, 10), numberAt(price, 2, 100, 30)},
         {{1, 2}},
         {9, 31}},
        {"a reading at the window start is inside",
         {numberAt(price, 1, 0, 10), numberAt(price, 2, 50, 30)},
         {{1, 2}},
         {9, 31}},
        {"a reading at the window end is outside and unreached without a neighbour inside",
         {numberAt(price, 1, 100, 10), numberAt(price, 2, 120, 30)},
         {},
         {-0.05, 1.05}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const ChartSeries series = onlySeries(snapshotOf(row.samples));
        EXPECT_EQ(ordinalsOf(series.numericSegments), row.segments);
        EXPECT_DOUBLE_EQ(series.numericDomain.lower, row.domain.lower);
        EXPECT_DOUBLE_EQ(series.numericDomain.upper, row.domain.upper);
    }
}

TEST(ChartSeriesBuilderTest, textRunsBecomeIntervalsClippedToTheWindow)
{
    struct Row
    {
        const char* name;
        std::vector<ChartReading> samples;
        std::vector<ChartTextInterval> intervals;
    };

    const Uuid c1 = chartID(1);
    const Uuid c2 = chartID(2);
    const Uuid c3 = chartID(3);
    const std::vector<Row> rows{
        {"A, A, then B",
         {textAt(price, 1, 10, "A"), textAt(price, 2, 20, "A"), textAt(price, 3, 30, "B")},
         {{c1, "A", "Field", 10, 30, false, 20, false, std::nullopt},
          {c3, "B", "Field", 30, 100, true, 30, false, 30}}},
        {"A before the window and again inside",
         {textAt(price, 1, -50, "A"), textAt(price, 2, 10, "A")},
         {{c1, "A", "Field", 0, 100, true, 10, true, 10}}},
        {"A ended by B after the window",
         {textAt(price, 1, 10, "A"), textAt(price, 2, 150, "B")},
         {{c1, "A", "Field", 10, 100, false, 10, false, 10}}},
        {"A confirmed only after the window",
         {textAt(price, 1, 10, "A"), textAt(price, 2, 150, "A")},
         {{c1, "A", "Field", 10, 100, true, 10, false, 10}}},
        {"A ended by a number",
         {textAt(price, 1, 10, "A"), numberAt(price, 2, 20, 1)},
         {{c1, "A", "Field", 10, 20, false, 10, false, std::nullopt}}},
        {"a text at the window end opens no run", {textAt(price, 1, 100, "A")}, {}},
        {"a run ended at the window start leaves nothing",
         {textAt(price, 1, -20, "A"), textAt(price, 2, 0, "B")},
         {{c2, "B", "Field", 0, 100, true, 0, false, 0}}},
        {"equal-looking texts of other bytes are other texts",
         {textAt(price, 1, 10, "caf\u00E9"), textAt(price, 2, 20, "cafe\u0301")},
         {{c1, "caf\u00E9", "Field", 10, 20, false, 10, false, std::nullopt},
          {c2, "cafe\u0301", "Field", 20, 100, true, 20, false, 20}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const ChartSeries series = onlySeries(snapshotOf(row.samples, {0, 100}, ReadingFieldType::text));
        EXPECT_EQ(series.textIntervals, row.intervals);
        EXPECT_TRUE(series.hasTextLane);
    }
}

TEST(ChartSeriesBuilderTest, equalTimesFollowTheCheckIdsAndNonFiniteNumbersAreLeftOut)
{
    // Given out of order: the builder sorts by time, then check id.
    ChartReading nan = numberAt(price, 5, 25, std::numeric_limits<double>::quiet_NaN());
    ChartReading infinite = numberAt(price, 6, 26, std::numeric_limits<double>::infinity());
    const ChartSnapshot snapshot =
        snapshotOf({numberAt(price, 3, 20, 3), numberAt(price, 2, 20, 2), numberAt(price, 1, 10, 1, 1), nan, infinite});
    const ChartSeries series = onlySeries(snapshot);
    ASSERT_EQ(series.numbers.size(), 3u);
    EXPECT_EQ(series.numbers[0].checkID, chartID(1));
    EXPECT_EQ(series.numbers[1].checkID, chartID(2));
    EXPECT_EQ(series.numbers[2].checkID, chartID(3));
    EXPECT_DOUBLE_EQ(series.numericDomain.lower, 0.9);
    EXPECT_DOUBLE_EQ(series.numericDomain.upper, 3.1);
    EXPECT_TRUE(std::isfinite(series.numericTicks[2]));
}

TEST(ChartSeriesBuilderTest, checksWithoutAReadingOfTheFieldBecomeIssues)
{
    const MonitorCheckFailure cancelled("cancelled", "Execution cancelled.");
    const MonitorCheckFailure otherCase("Cancelled", "Stopped.");
    const MonitorCheckFailure failed("provider_http_500", "The model provider failed.");
    const ChartSnapshot snapshot{{0, 100},
                                 {ChartField{price, "Price", ReadingFieldType::number, false},
                                  ChartField{status, "Status", ReadingFieldType::text, false}},
                                 {numberAt(price, 1, 10, 1), textAt(status, 2, 20, "in stock")},
                                 {{chartID(1), 10, std::nullopt, {price}},
                                  {chartID(2), 20, std::nullopt, {status}},
                                  {chartID(3), 30, cancelled, {}},
                                  {chartID(4), 40, otherCase, {}},
                                  {chartID(5), 50, failed, {}}}};
    const std::vector<ChartSeries> series = buildChartSeries(snapshot);
    ASSERT_EQ(series.size(), 2u);
    EXPECT_EQ(series[0].issues,
              (std::vector<ChartIssue>{{chartID(2), 20, "No reading for this field in this check."},
                                       {chartID(3), 30, "Cancelled check: Execution cancelled."},
                                       {chartID(4), 40, "Failed check: Stopped."},
                                       {chartID(5), 50, "Failed check: The model provider failed."}}));
    ASSERT_EQ(series[1].issues.size(), 4u);
    EXPECT_EQ(series[1].issues.front().id, chartID(1));
    EXPECT_NE(series[0].snapshotID, series[1].snapshotID);
    EXPECT_EQ(series[1].window, (ChartWindow{0, 100}));
}

TEST(ChartSeriesBuilderTest, fieldsWithoutReadingsGiveEmptyLanesAndOneIssuePerCheck)
{
    const ChartSnapshot snapshot{{0, 100},
                                 {ChartField{price, "Price", ReadingFieldType::number, false},
                                  ChartField{status, "Status", ReadingFieldType::text, true}},
                                 {},
                                 {{chartID(1), 10, std::nullopt, {}}}};
    const std::vector<ChartSeries> series = buildChartSeries(snapshot);
    ASSERT_EQ(series.size(), 2u);
    for (const ChartSeries& one : series) {
        EXPECT_TRUE(one.numericSegments.empty());
        EXPECT_TRUE(one.numbers.empty());
        EXPECT_TRUE(one.textIntervals.empty());
        EXPECT_EQ(one.issues.size(), 1u);
    }
    EXPECT_TRUE(series[0].hasNumberLane);
    EXPECT_FALSE(series[0].hasTextLane);
    EXPECT_FALSE(series[1].hasNumberLane);
    EXPECT_TRUE(series[1].hasTextLane);
    EXPECT_TRUE(series[1].field.isNoLongerTracked);
    EXPECT_TRUE(buildChartSeries(ChartSnapshot{{0, 100}, {}, {}, {}}).empty());
}

TEST(ChartSeriesBuilderTest, namesEqualIgnoringCaseAreToldApartByTheEndOfTheirIds)
{
    const Uuid first = *Uuid::parse("11111111-2222-4333-8444-aaaa55556666");
    const Uuid second = *Uuid::parse("11111111-2222-4333-8444-bbbb55556666"); // same last 8, other last 12
    const Uuid third = *Uuid::parse("11111111-2222-4333-8444-000000000001");
    const ChartSnapshot snapshot{{0, 100},
                                 {ChartField{first, "Price", ReadingFieldType::number, false},
                                  ChartField{second, "price", ReadingFieldType::number, false},
                                  ChartField{third, "Stock", ReadingFieldType::text, false}},
                                 {},
                                 {}};
    const std::vector<ChartSeries> series = buildChartSeries(snapshot);
    ASSERT_EQ(series.size(), 3u);
    EXPECT_EQ(series[0].title, "Price \u00B7 AAAA55556666");
    EXPECT_EQ(series[1].title, "price \u00B7 BBBB55556666");
    EXPECT_EQ(series[2].title, "Stock");

    const Uuid other = *Uuid::parse("99991111-2222-4333-8444-bbbb55556666"); // differs in its first 4 characters
    const ChartSnapshot alike{{0, 100},
                              {ChartField{second, "\u00C9tat", ReadingFieldType::text, false},
                               ChartField{other, "\u00E9TAT", ReadingFieldType::text, false}},
                              {},
                              {}};
    const std::vector<ChartSeries> whole = buildChartSeries(alike);
    EXPECT_EQ(whole[0].title, "\u00C9tat \u00B7 11111111-2222-4333-8444-BBBB55556666");
    EXPECT_EQ(whole[1].title, "\u00E9TAT \u00B7 99991111-2222-4333-8444-BBBB55556666");
}

TEST(ChartSeriesBuilderTest, namesEqualByCanonicalEquivalenceAreOneGroup)
{
    const Uuid precomposed = *Uuid::parse("11111111-2222-4333-8444-aaaa55556666");
    const Uuid decomposed = *Uuid::parse("11111111-2222-4333-8444-bbbb55556666");
    const Uuid unaccented = *Uuid::parse("11111111-2222-4333-8444-cccc55556666");
    const ChartSnapshot snapshot{{0, 100},
                                 {ChartField{precomposed, "Caf\u00E9", ReadingFieldType::number, false},
                                  ChartField{decomposed, "CAFE\u0301", ReadingFieldType::number, false},
                                  ChartField{unaccented, "Cafe", ReadingFieldType::number, false}},
                                 {},
                                 {}};
    const std::vector<ChartSeries> series = buildChartSeries(snapshot);
    ASSERT_EQ(series.size(), 3u);
    EXPECT_EQ(series[0].title, "Caf\u00E9 \u00B7 AAAA55556666");
    EXPECT_EQ(series[1].title, "CAFE\u0301 \u00B7 BBBB55556666");
    EXPECT_EQ(series[2].title, "Cafe");
}

TEST(ChartSeriesBuilderTest, aStoppedBuildThrowsCancelled)
{
    std::vector<ChartReading> samples;
    for (int i = 1; i <= 3000; ++i) {
        samples.push_back(numberAt(price, i, i, i));
    }
    std::stop_source stop;
    stop.request_stop();
    EXPECT_THROW(buildChartSeries(snapshotOf(samples, {0, 5000}), stop.get_token()), CancelledError);
}

} // namespace
} // namespace tavlen
