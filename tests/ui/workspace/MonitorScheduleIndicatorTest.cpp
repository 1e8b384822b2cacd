#include "MonitorScheduleIndicator.h"

#include <gtest/gtest.h>

namespace tavlen::ui {
namespace {

Monitor monitorWith(ScheduleRule rule, bool enabled)
{
    Monitor monitor;
    monitor.id = Uuid::random();
    monitor.name = "Prices";
    monitor.schedule.preferences = MonitorSchedulePreferences{std::move(rule), enabled};
    return monitor;
}

TEST(MonitorScheduleIndicatorTest, theTooltipGivesTheNextCheckOfAnEnabledSchedule)
{
    const auto calculator = ScheduleCalculator::inZone("America/New_York");
    // 2023-11-14 17:13:20 in New York.
    const Date now = Date::fromMilliseconds(1'700'000'000'000);
    const ScheduleRule hourly = ScheduleRule::every(IntervalSchedule{60, {1, 2, 3, 4, 5, 6, 7}, std::nullopt});
    const ScheduleState started = calculator.startedState(hourly, now);
    // An at-rule on no weekday never has a next occurrence.
    const ScheduleRule never = ScheduleRule::at(ClockSchedule{{540}, {}});

    struct Row
    {
        const char* name;
        Monitor monitor;
        std::optional<ScheduleState> state;
        QString expected;
    };

    const Row rows[] = {
        {"disabled, whatever the state", monitorWith(hourly, false), started, QStringLiteral("Schedule disabled")},
        {"enabled before the first refresh",
         monitorWith(hourly, true),
         std::nullopt,
         QStringLiteral("Schedule enabled")},
        {"enabled without a next occurrence",
         monitorWith(never, true),
         calculator.startedState(never, now),
         QStringLiteral("Schedule enabled")},
        {"enabled with a next occurrence",
         monitorWith(hourly, true),
         started,
         QStringLiteral("Next check at Nov 14, 2023, 6:13\u202FPM")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(scheduleIndicatorHelpText(row.monitor, row.state, calculator, now), row.expected);
    }
}

TEST(MonitorScheduleIndicatorTest, theEyeFollowsTheSavedScheduleInEitherSize)
{
    const ScheduleRule hourly = ScheduleRule::every(IntervalSchedule{60, {1, 2, 3, 4, 5, 6, 7}, std::nullopt});
    MonitorScheduleIndicator sidebar(monitorWith(hourly, false), std::nullopt, MonitorScheduleIndicator::Size::sidebar);
    MonitorScheduleIndicator detail(monitorWith(hourly, true), std::nullopt, MonitorScheduleIndicator::Size::detail);
    EXPECT_EQ(sidebar.width(), 24);
    EXPECT_EQ(detail.width(), 36);
    EXPECT_EQ(sidebar.accessibleName(), QStringLiteral("Schedule disabled"));
    EXPECT_EQ(detail.accessibleName(), QStringLiteral("Schedule enabled"));
    EXPECT_EQ(detail.helpText(), QStringLiteral("Schedule enabled"));
}

} // namespace
} // namespace tavlen::ui
