#include "Formatting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tavlen::ui {
namespace {

const FormatLocale enUS{"en_US", "America/New_York"};
const FormatLocale deDE{"de_DE", "Europe/Berlin"};

// 2024-01-05 20:04:05.678 UTC, and a summer moment, 2024-07-01 12:00:00 UTC.
constexpr std::int64_t winter = 1'704'485'045'678;
constexpr std::int64_t summer = 1'719'835'200'000;

TEST(FormattingTest, momentsInLocaleAndZone)
{
    struct Row
    {
        const char* name;
        std::int64_t moment;
        DateStyle date;
        TimeStyle time;
        FormatLocale place;
        QString expected;
    };

    const Row rows[] = {
        {"abbreviated date in New York", winter, DateStyle::abbreviated, TimeStyle::none, enUS, u"Jan 5, 2024"_qs},
        {"standard time in New York", winter, DateStyle::none, TimeStyle::standard, enUS, u"3:04:05\u202fPM"_qs},
        {"shortened time in New York", winter, DateStyle::none, TimeStyle::shortened, enUS, u"3:04\u202fPM"_qs},
        {"same moment in Tokyo is the next day",
         winter,
         DateStyle::abbreviated,
         TimeStyle::shortened,
         {"en_US", "Asia/Tokyo"},
         u"Jan 6, 2024, 5:04\u202fAM"_qs},
        {"German date and time in Berlin",
         winter,
         DateStyle::abbreviated,
         TimeStyle::standard,
         deDE,
         u"05.01.2024, 21:04:05"_qs},
        {"summer time in Berlin", summer, DateStyle::none, TimeStyle::shortened, deDE, u"14:00"_qs},
        {"half-hour zone",
         summer,
         DateStyle::none,
         TimeStyle::shortened,
         {"en_US", "Asia/Kolkata"},
         u"5:30\u202fPM"_qs},
        {"complete date in German", winter, DateStyle::complete, TimeStyle::none, deDE, u"Freitag, 5. Januar 2024"_qs},
        {"neither style gives nothing", winter, DateStyle::none, TimeStyle::none, enUS, QString()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(formatDateTime(row.moment, row.date, row.time, row.place), row.expected);
    }
}

TEST(FormattingTest, momentFollowsTheUsersZoneByDefault)
{
    // The widget test main pins en_US and America/New_York.
    EXPECT_EQ(formatMoment(winter), u"Jan 5, 2024, 3:04:05\u202fPM"_qs);
}

TEST(FormattingTest, numbersShowTheShortestDigitsThatReadBack)
{
    struct Row
    {
        const char* name;
        double value;
        QString english;
        QString german;
    };

    const Row rows[] = {
        {"a tenth is not 0.1000000000000000055", 0.1, u"0.1"_qs, u"0,1"_qs},
        {"sum with a binary remainder", 0.1 + 0.2, u"0.30000000000000004"_qs, u"0,30000000000000004"_qs},
        {"integer grouped", 1234.5, u"1,234.5"_qs, u"1.234,5"_qs},
        {"seventeen digits kept", 1.2345678901234567, u"1.2345678901234567"_qs, u"1,2345678901234567"_qs},
        {"large value fully written and grouped",
         1e21,
         u"1,000,000,000,000,000,000,000"_qs,
         u"1.000.000.000.000.000.000.000"_qs},
        {"negative zero reads as zero", -0.0, u"0"_qs, u"0"_qs},
        {"negative value", -42.25, u"-42.25"_qs, u"-42,25"_qs},
        {"tiny value", 0.000125, u"0.000125"_qs, u"0,000125"_qs},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(formatNumber(row.value, enUS), row.english);
        EXPECT_EQ(formatNumber(row.value, deDE), row.german);
    }
}

TEST(FormattingTest, otherNumberForms)
{
    EXPECT_EQ(formatCompactNumber(1234, enUS), u"1.234K"_qs);
    EXPECT_EQ(formatCompactNumber(1200, enUS), u"1.2K"_qs);
    EXPECT_EQ(formatCompactNumber(15'000'000, enUS), u"15M"_qs);
    EXPECT_EQ(formatCompactNumber(0.5, enUS), u"0.5"_qs);
    EXPECT_EQ(formatOneFraction(2.345, enUS), u"2.3"_qs);
    EXPECT_EQ(formatOneFraction(2, deDE), u"2,0"_qs);
    EXPECT_EQ(formatInteger(1234567, enUS), u"1,234,567"_qs);
    EXPECT_EQ(formatInteger(1234567, deDE), u"1.234.567"_qs);
}

TEST(FormattingTest, durationsShowAtMostTwoUnitsWithoutZeros)
{
    using Unit = DurationUnit;

    struct Row
    {
        const char* name;
        std::int64_t milliseconds;
        Unit largest;
        Unit smallest;
        DurationWidth width;
        QString expected;
    };

    const Row rows[] = {
        {"seconds and milliseconds", 2'345, Unit::hours, Unit::milliseconds, DurationWidth::narrow, u"2s 345ms"_qs},
        {"hours and minutes, seconds dropped",
         3'725'000,
         Unit::hours,
         Unit::milliseconds,
         DurationWidth::narrow,
         u"1h 2m"_qs},
        {"zero minutes hidden", 3'600'500, Unit::hours, Unit::milliseconds, DurationWidth::narrow, u"1h"_qs},
        {"only milliseconds", 7, Unit::hours, Unit::milliseconds, DurationWidth::narrow, u"7ms"_qs},
        {"nothing reads as zero of the smallest unit",
         0,
         Unit::hours,
         Unit::milliseconds,
         DurationWidth::narrow,
         u"0ms"_qs},
        {"days are the largest unit of intervals",
         2 * 86'400'000 + 3 * 3'600'000 + 5'000,
         Unit::days,
         Unit::seconds,
         DurationWidth::abbreviated,
         u"2 days, 3 hr"_qs},
        {"below a second with seconds as smallest",
         400,
         Unit::days,
         Unit::seconds,
         DurationWidth::abbreviated,
         u"0 sec"_qs},
        {"hours beyond a day stay hours",
         30 * 3'600'000LL,
         Unit::hours,
         Unit::milliseconds,
         DurationWidth::narrow,
         u"30h"_qs},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(formatDuration(row.milliseconds, row.largest, row.smallest, row.width), row.expected);
    }
}

TEST(FormattingTest, weekdaysStartOnSunday)
{
    const QStringList english = weekdaySymbols(WeekdayWidth::shortName, enUS);
    ASSERT_EQ(english.size(), 7);
    EXPECT_EQ(english.front(), u"Sun"_qs);
    EXPECT_EQ(english.at(1), u"Mon"_qs);
    EXPECT_EQ(weekdaySymbols(WeekdayWidth::fullName, deDE).at(6), u"Samstag"_qs);
}

} // namespace
} // namespace tavlen::ui
