#include "Iso8601.h"
#include "ScheduleCalculator.h"
#include "ScheduleTestSupport.h"
#include "ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace tavlen {
namespace {

using namespace test;

constexpr const char* english = "en_US";
// ICU's English short time style puts a narrow no-break space before AM and PM.
#define NNBSP "\u202F"

TEST(ScheduleDescriptionTest, timeOfDayLabel_isLocalShortTime)
{
    for (const char* zone : {"Europe/Berlin", "America/New_York"}) {
        SCOPED_TRACE(zone);
        const auto calculator = ScheduleCalculator::inZone(zone);
        EXPECT_EQ(calculator.timeOfDayLabel(540, english), "9:00" NNBSP "AM");
        EXPECT_EQ(calculator.timeOfDayLabel(0, english), "12:00" NNBSP "AM");
        EXPECT_EQ(calculator.timeOfDayLabel(1439, english), "11:59" NNBSP "PM");
        EXPECT_EQ(calculator.timeOfDayLabel(1440, english), "midnight");
        EXPECT_EQ(calculator.timeOfDayLabel(1440, "de_DE"), "midnight");
        EXPECT_EQ(calculator.timeOfDayLabel(540, "de_DE"), "09:00");
    }
}

using test::ScopedEnvironment;

TEST(ScheduleDescriptionTest, userLocale_followsTheTimeFormatsNotTheLanguage)
{
    // Only the POSIX locales are installed here, so the process locale is C and the environment carries the
    // user's choice, as it does for a user whose formats region is not installed as a C library locale.
    const std::string processTimeLocale = std::setlocale(LC_TIME, nullptr);
    std::setlocale(LC_TIME, "C");
    const ScopedEnvironment all("LC_ALL", nullptr);
    const ScopedEnvironment language("LANG", "en_US.UTF-8");
    const auto calculator = ScheduleCalculator::inZone("Europe/Berlin");
    {
        const ScopedEnvironment formats("LC_TIME", "de_DE.UTF-8");
        EXPECT_EQ(calculator.describe(clock({540}, {2})), "At 09:00, Mo.");
    }
    {
        const ScopedEnvironment formats("LC_TIME", nullptr);
        EXPECT_EQ(calculator.describe(clock({540}, {2})), "At 9:00" NNBSP "AM, Mon");
    }
    std::setlocale(LC_TIME, processTimeLocale.c_str());
}

TEST(ScheduleDescriptionTest, describe_readsFrequencyDaysAndWindow)
{
    struct Row
    {
        const char* name;
        ScheduleRule rule;
        const char* text;
    };

    const Row rows[] = {
        {"office hours",
         every(30, {2, 3, 4, 5, 6}, ScheduleWindow{540, 1020}),
         "Every 30 minutes, weekdays, 9:00" NNBSP "AM\u20135:00" NNBSP "PM"},
        {"hourly", every(60, allDays), "Every 1 hour, every day"},
        {"clock times with days", clock({1050, 540}, {6, 2, 4}), "At 9:00" NNBSP "AM, 5:30" NNBSP "PM, Mon, Wed, Fri"},
        {"one day at weekends", every(1440, {7, 1}), "Every 1 day, Sun, Sat"},
        {"one minute", every(1, {2}), "Every 1 minute, Mon"},
        {"ninety minutes", every(90, {2}), "Every 90 minutes, Mon"},
        {"three hours", every(180, {2}), "Every 3 hours, Mon"},
        {"two days", every(2880, {2}), "Every 2 days, Mon"},
        {"whole-day window",
         every(60, allDays, ScheduleWindow{0, 1440}),
         "Every 1 hour, every day, 12:00" NNBSP "AM\u2013midnight"},
        {"not validated: zero minutes and no days", every(0, {}), "Every 0 days, "},
        {"weekday numbers outside 1 to 7 are left out", every(90, {-4, 0, 2, 8, 1000}), "Every 90 minutes, Mon"},
    };
    const auto calculator = ScheduleCalculator::inZone("Europe/Berlin");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(calculator.describe(row.rule, english), row.text);
    }
}

TEST(ScheduleDescriptionTest, preview_stepsLikeTheScheduler)
{
    struct Row
    {
        const char* name;
        ScheduleRule rule;
        std::optional<ScheduleState> state;
        const char* now;
        std::vector<const char*> dates;
        int runs;
    };

    const Row rows[] = {
        {"invalid rule", every(60, {}), std::nullopt, "2026-03-02T10:00:00+01:00", {}, 0},
        {"hourly in a week without a clock change",
         every(60, allDays),
         std::nullopt,
         "2026-03-02T10:00:00+01:00",
         {"2026-03-02T11:00:00+01:00", "2026-03-02T12:00:00+01:00", "2026-03-02T13:00:00+01:00"},
         168},
        {"hourly over the spring-forward week counts a 167-hour week",
         every(60, allDays),
         std::nullopt,
         "2026-03-22T10:00:00+01:00",
         {"2026-03-22T11:00:00+01:00", "2026-03-22T12:00:00+01:00", "2026-03-22T13:00:00+01:00"},
         167},
        {"every minute",
         every(1, allDays),
         std::nullopt,
         "2026-03-02T10:00:00+01:00",
         {"2026-03-02T10:01:00+01:00", "2026-03-02T10:02:00+01:00", "2026-03-02T10:03:00+01:00"},
         10080},
        {"Monday, Wednesday and Friday mornings",
         clock({540}, {2, 4, 6}),
         std::nullopt,
         "2026-03-02T08:00:00+01:00",
         {"2026-03-02T09:00:00+01:00", "2026-03-04T09:00:00+01:00", "2026-03-06T09:00:00+01:00"},
         3},
        {"overdue state runs now",
         every(60, allDays),
         ScheduleState{7, at("2026-03-01T10:00:00+01:00"), at("2026-03-02T09:00:00+01:00"), std::nullopt},
         "2026-03-02T10:00:00+01:00",
         {"2026-03-02T10:00:00+01:00", "2026-03-02T11:00:00+01:00", "2026-03-02T12:00:00+01:00"},
         169},
        {"largest interval shows no check time",
         every(maximumIntervalMinutes, allDays),
         std::nullopt,
         "2026-03-02T10:00:00+01:00",
         {},
         0},
        {"a state with the largest token still previews",
         every(60, allDays),
         ScheduleState{std::numeric_limits<std::int64_t>::max(),
                       at("2026-03-01T10:00:00+01:00"),
                       at("2026-03-02T11:00:00+01:00"),
                       std::nullopt},
         "2026-03-02T10:00:00+01:00",
         {"2026-03-02T11:00:00+01:00", "2026-03-02T12:00:00+01:00", "2026-03-02T13:00:00+01:00"},
         168},
    };
    const auto calculator = ScheduleCalculator::inZone("Europe/Berlin");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto preview = calculator.preview(row.rule, row.state, at(row.now));
        std::vector<Date> expected;
        for (const char* date : row.dates) {
            expected.push_back(at(date));
        }
        EXPECT_EQ(preview.dates, expected);
        EXPECT_EQ(preview.runs, row.runs);
    }
}

} // namespace
} // namespace tavlen
