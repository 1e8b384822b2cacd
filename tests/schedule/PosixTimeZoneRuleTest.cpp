#include "PosixTimeZoneRule.h"

#include "ScheduleTestSupport.h"

#include <gtest/gtest.h>

namespace tavlen {
namespace {

using namespace test;

std::int64_t seconds(const char* text)
{
    return static_cast<std::int64_t>(at(text).secondsSince1970());
}

TEST(PosixTimeZoneRuleTest, transitionsIn_placesEachFormOfDate)
{
    struct Row
    {
        const char* rule;
        int year;
        const char* first;
        std::int32_t offsetAfterFirst;
        const char* second;
        std::int32_t offsetAfterSecond;
    };

    const Row rows[] = {
        // Second Sunday of March, first Sunday of November, at the default 02:00.
        {"EST5EDT,M3.2.0,M11.1.0",
         2040,
         "2040-03-11T02:00:00-05:00",
         -4 * 3600,
         "2040-11-04T02:00:00-04:00",
         -5 * 3600},
        // Southern hemisphere: daylight time ends in April before it starts in October; half-hour shift.
        {"<+1030>-10:30<+11>-11,M10.1.0,M4.1.0",
         2040,
         "2040-04-01T02:00:00+11:00",
         37800,
         "2040-10-07T02:00:00+10:30",
         39600},
        // Negative rule times (zoneinfo version 3): 22:00 the evening before the last Sunday.
        {"<-02>2<-01>,M3.5.0/-1,M10.5.0/0",
         2040,
         "2040-03-24T23:00:00-02:00",
         -3600,
         "2040-10-28T00:00:00-01:00",
         -7200},
        // Rule times beyond 24 hours: Thursday 26:00 is Friday 02:00.
        {"IST-2IDT,M3.4.4/26,M10.5.0", 2040, "2040-03-23T02:00:00+02:00", 3 * 3600, "2040-10-28T02:00:00+03:00", 7200},
        // Day numbers with and without February 29 in a leap year.
        {"AAA3BBB,J60/0,300/1:30:15",
         2040,
         "2040-03-01T00:00:00-03:00",
         -2 * 3600,
         "2040-10-27T01:30:15-02:00",
         -3 * 3600},
        // Daylight time all year: it ends at the instant it starts the next year.
        {"EST5EDT,0/0,J365/25", 2040, "2040-01-01T00:00:00-05:00", -4 * 3600, "2041-01-01T00:00:00-05:00", -5 * 3600},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.rule);
        const auto rule = PosixTimeZoneRule::parse(row.rule);
        ASSERT_TRUE(rule && rule->daylight);
        const auto transitions = rule->transitionsIn(row.year);
        EXPECT_EQ(transitions[0].at, seconds(row.first));
        EXPECT_EQ(transitions[0].offsetAfter, row.offsetAfterFirst);
        EXPECT_EQ(transitions[1].at, seconds(row.second));
        EXPECT_EQ(transitions[1].offsetAfter, row.offsetAfterSecond);
    }
}

TEST(PosixTimeZoneRuleTest, parse_readsOffsetsAndRefusesBrokenRules)
{
    const auto fixed = PosixTimeZoneRule::parse("<+0545>-5:45");
    ASSERT_TRUE(fixed);
    EXPECT_EQ(fixed->standardOffset, 5 * 3600 + 45 * 60);
    EXPECT_FALSE(fixed->daylight);

    // Daylight time one hour ahead and the United States dates when the rule leaves them out.
    const auto implied = PosixTimeZoneRule::parse("CET-1CEST");
    ASSERT_TRUE(implied && implied->daylight);
    EXPECT_EQ(implied->daylight->offset, 7200);
    EXPECT_EQ(implied->transitionsIn(2026)[0].at, seconds("2026-03-08T02:00:00+01:00"));

    for (const char* broken : {"",
                               "EST",
                               "ES5",
                               "<AB>5",
                               "EST5EDT,M3.2.0",
                               "EST5EDT,M13.1.0,M11.1.0",
                               "EST5EDT,M3.0.0,M11.1.0",
                               "EST5EDT,M3.2.7,M11.1.0",
                               "EST5EDT,J0,J365",
                               "EST5EDT,M3.2.0/168,M11.1.0",
                               "EST25",
                               "EST5EDT4,M3.2.0,M11.1.0 ",
                               "Europe/Berlin"}) {
        EXPECT_FALSE(PosixTimeZoneRule::parse(broken)) << broken;
    }
}

} // namespace
} // namespace tavlen
