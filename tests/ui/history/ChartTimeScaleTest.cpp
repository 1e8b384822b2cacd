#include "ChartTimeScale.h"

#include <QDateTime>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace tavlen::ui {
namespace {

// Milliseconds of a wall-clock time in New York, the zone widget tests pin.
std::int64_t newYork(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), QTimeZone("America/New_York"))
        .toMSecsSinceEpoch();
}

TEST(ChartTimeScaleTest, positionsAndTimesMapTheWindowOntoThePlot)
{
    const ChartTimeScale scale{{1000, 2000}, 64, 500};

    struct Row
    {
        const char* name;
        std::int64_t time;
        double x;
    };

    const Row rows[] = {{"start on the left edge", 1000, 64},
                        {"end on the right edge", 2000, 564},
                        {"middle", 1500, 314},
                        {"before the window, unclamped", 0, -436},
                        {"after the window, unclamped", 3000, 1064}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_DOUBLE_EQ(*scale.position(row.time), row.x);
        EXPECT_EQ(*scale.time(row.x), row.time);
    }
    EXPECT_EQ(*scale.time(64.3), 1000); // rounded down
    EXPECT_EQ(*scale.time(63.9), 999);

    EXPECT_FALSE((ChartTimeScale{{1000, 1000}, 0, 500}.position(1000)));
    EXPECT_FALSE((ChartTimeScale{{1000, 2000}, 0, 0}.time(10)));
}

TEST(ChartTimeScaleTest, ticksAreAboutFiveRoundInstantsOfTheUsersZone)
{
    struct Row
    {
        const char* name;
        ChartWindow window;
        std::vector<ChartTimeTick> ticks;
    };

    const std::int64_t morning = newYork(2024, 3, 5, 9, 17, 23);
    const std::vector<Row> rows{
        {"six hours: every hour would be six, so every two",
         {morning, morning + 6 * 3'600'000},
         {{newYork(2024, 3, 5, 10), "10:00\u202fAM"},
          {newYork(2024, 3, 5, 12), "12:00\u202fPM"},
          {newYork(2024, 3, 5, 14), "2:00\u202fPM"}}},
        {"a day: every six hours at local midnight and noon",
         {morning, morning + 86'400'000},
         {{newYork(2024, 3, 5, 12), "12:00\u202fPM"},
          {newYork(2024, 3, 5, 18), "6:00\u202fPM"},
          {newYork(2024, 3, 6, 0), "12:00\u202fAM"},
          {newYork(2024, 3, 6, 6), "6:00\u202fAM"}}},
        {"a week across the change to daylight saving time: every other local midnight",
         {newYork(2024, 3, 8, 13), newYork(2024, 3, 15, 13)},
         {{newYork(2024, 3, 10), "Mar 10"}, {newYork(2024, 3, 12), "Mar 12"}, {newYork(2024, 3, 14), "Mar 14"}}},
        {"a year: quarters with their year",
         {newYork(2023, 5, 20), newYork(2024, 5, 19)},
         {{newYork(2023, 7, 1), "Jul 2023"},
          {newYork(2023, 10, 1), "Oct 2023"},
          {newYork(2024, 1, 1), "Jan 2024"},
          {newYork(2024, 4, 1), "Apr 2024"}}},
        {"twelve seconds: seconds",
         {newYork(2024, 1, 1, 8, 0, 1), newYork(2024, 1, 1, 8, 0, 13)},
         {{newYork(2024, 1, 1, 8, 0, 5), "8:00:05\u202fAM"}, {newYork(2024, 1, 1, 8, 0, 10), "8:00:10\u202fAM"}}},
        {"an empty window", {morning, morning}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(chartTimeTicks(row.window), row.ticks);
    }
}

} // namespace
} // namespace tavlen::ui
