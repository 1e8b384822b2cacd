#include "ChartSeriesBuilder.h"
#include "ChartTestValues.h"
#include "ReferenceChartSeries.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace tavlen {
namespace {

using test::chartID;

// How the generated monitor's checks went: one in `gapEvery` is missing from the ordinals (deleted), one in
// `failEvery` failed or was cancelled (no readings), and the mixed field reads a text instead of a number one time
// in `textEvery`.
struct Shape
{
    const char* name;
    unsigned seed;
    int checks;
    int gapEvery;
    int failEvery;
    int textEvery;
    int sharedStartEvery; // this many checks start at the same moment as the one before
    bool shuffled;        // the samples come out of order
};

const Uuid price = chartID(900);
const Uuid status = chartID(901);
const Uuid mixed = chartID(902);

ChartSnapshot generated(const Shape& shape)
{
    std::mt19937 random(shape.seed);
    ChartSnapshot snapshot;
    snapshot.fields = {ChartField{price, "Price", ReadingFieldType::number, false},
                       ChartField{status, "Status", ReadingFieldType::text, false},
                       ChartField{mixed, "Mixed", ReadingFieldType::number, true}};
    std::int64_t time = 0;
    std::int64_t ordinal = 0;
    for (int n = 1; n <= shape.checks; ++n) {
        ordinal += random() % static_cast<unsigned>(shape.gapEvery) == 0 ? 2 : 1;
        time += shape.sharedStartEvery > 0 && random() % static_cast<unsigned>(shape.sharedStartEvery) == 0 ? 0 : 1000;
        const Uuid check = chartID(static_cast<int>(random() % 1'000'000));
        ChartCheckEvent event{check, time, std::nullopt, {}};
        if (random() % static_cast<unsigned>(shape.failEvery) == 0) {
            event.failure =
                MonitorCheckFailure(random() % 2 == 0 ? MonitorCheckFailure::cancelledCode : "page", "Gone.");
        } else {
            const std::string name = random() % 9 == 0 ? "price" : "Price";
            snapshot.samples.push_back(
                {check, price, time, ordinal, name, ReadingValue::ofNumber(static_cast<double>(random() % 50))});
            snapshot.samples.push_back(
                {check, status, time, ordinal, "Status", ReadingValue::ofText(random() % 4 == 0 ? "Sold out" : "In")});
            if (random() % 5 != 0) {
                snapshot.samples.push_back({check,
                                            mixed,
                                            time,
                                            ordinal,
                                            "Mixed",
                                            random() % static_cast<unsigned>(shape.textEvery) == 0
                                                ? ReadingValue::ofText("n/a")
                                                : ReadingValue::ofNumber(random() % 7 == 0 ? NAN : 1.5 * n)});
                event.fieldIDs.insert(mixed);
            }
            event.fieldIDs.insert({price, status});
        }
        snapshot.checks.push_back(std::move(event));
    }
    // The window leaves a few checks outside at each end; those stay only as samples, as the reader gives them.
    snapshot.window = {time / 10, time - time / 10};
    std::erase_if(snapshot.checks,
                  [&](const ChartCheckEvent& c) { return !snapshot.window.contains(c.timeMilliseconds); });
    if (shape.shuffled) {
        std::shuffle(snapshot.samples.begin(), snapshot.samples.end(), random);
    }
    return snapshot;
}

TEST(ChartSeriesCompactTest, theSeriesHoldWhatTheCopyingBuilderGave)
{
    const std::vector<Shape> shapes{
        {"steady", 1, 400, 1000, 1000, 1000, 0, false},
        {"gaps and failures", 2, 400, 4, 6, 1000, 0, false},
        {"texts break the lines", 3, 400, 5, 9, 3, 0, false},
        {"checks sharing a start", 4, 300, 3, 7, 4, 3, false},
        {"samples out of order", 5, 300, 3, 7, 4, 3, true},
        {"one check", 6, 1, 2, 1000, 2, 0, false},
    };
    for (const Shape& shape : shapes) {
        SCOPED_TRACE(shape.name);
        const ChartSnapshot snapshot = generated(shape);
        const std::vector<ChartSeries> built = buildChartSeries(snapshot);
        ASSERT_EQ(built.size(), snapshot.fields.size());
        for (std::size_t f = 0; f < built.size(); ++f) {
            SCOPED_TRACE(snapshot.fields[f].name);
            const ChartSeries& series = built[f];
            const test::ReferenceSeries reference = test::referenceSeries(snapshot, snapshot.fields[f]);
            EXPECT_EQ(series.numbers, ChartNumbers(reference.numbers));
            EXPECT_EQ(std::vector<ChartReading>(series.numbers.begin(), series.numbers.end()), reference.numbers);
            ASSERT_EQ(series.numericSegments.size(), reference.segments.size());
            for (std::size_t s = 0; s < reference.segments.size(); ++s) {
                EXPECT_EQ(series.numericSegments[s].id, static_cast<std::int64_t>(s));
                EXPECT_EQ(series.numericSegments[s].points.readings(), reference.segments[s].points);
                EXPECT_EQ(series.numericSegments[s].interrupted, reference.segments[s].interrupted);
            }
            EXPECT_EQ(series.textIntervals, reference.intervals);
            EXPECT_EQ(series.issues, reference.issues);
        }
    }
}

} // namespace
} // namespace tavlen
