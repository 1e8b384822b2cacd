#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace tavlen {

// Weekdays are numbered 1 (Sunday) to 7 (Saturday); minutes of the day run from 0 (00:00) to 1439 (23:59), with
// 1440 (the following midnight) allowed only as the end of a window.
using WeekdaySet = std::set<int>;

// The largest interval in minutes whose length in milliseconds still fits a signed 64-bit integer.
inline constexpr std::int64_t maximumIntervalMinutes = 153722867280912;

// A part of every allowed day: from the start (included) to the end (excluded); never spans midnight.
struct ScheduleWindow
{
    int startMinuteOfDay = 0;
    int endMinuteOfDay = 1440;

    friend bool operator==(const ScheduleWindow&, const ScheduleWindow&) = default;
};

// Every so many minutes on some weekdays, optionally inside a window of the day.
struct IntervalSchedule
{
    std::int64_t minutes = 60;
    WeekdaySet weekdays;
    std::optional<ScheduleWindow> window;

    friend bool operator==(const IntervalSchedule&, const IntervalSchedule&) = default;
};

// At given times of the day on some weekdays. Times are ascending after reading and whenever written.
struct ClockSchedule
{
    std::vector<int> minutesOfDay;
    WeekdaySet weekdays;

    friend bool operator==(const ClockSchedule&, const ClockSchedule&) = default;
};

// When scheduled checks of a monitor fall due: `every` (an interval) or `at` (clock times).
// Equal rules have the same case and equal schedules; times compare in order, weekdays as sets.
struct ScheduleRule
{
    std::variant<IntervalSchedule, ClockSchedule> schedule;

    static ScheduleRule every(IntervalSchedule interval) { return ScheduleRule{std::move(interval)}; }

    static ScheduleRule at(ClockSchedule clock) { return ScheduleRule{std::move(clock)}; }

    // Every 60 minutes on all seven days without a window: the rule of a new monitor.
    static ScheduleRule defaultRule();

    // Null when the rule is of the other case.
    const IntervalSchedule* interval() const { return std::get_if<IntervalSchedule>(&schedule); }

    const ClockSchedule* clock() const { return std::get_if<ClockSchedule>(&schedule); }

    const WeekdaySet& weekdays() const;

    // Throws MonitorStoreError::validation with the sentence of the first failed check.
    void validate() const;

    // The stored `schedule_json` text: {"rule":…,"version":1}, compact with sorted keys, at-times ascending.
    // Throws like validate() for a rule that is not valid.
    std::string encodeStored() const;

    // The rule of a stored `schedule_json`. Throws MonitorStoreError: unsupportedSchema for a readable envelope
    // with a version other than 1, invalidStoredData for anything else that is wrong (validation included).
    static ScheduleRule decodeStored(std::string_view text);

    friend bool operator==(const ScheduleRule&, const ScheduleRule&) = default;
};

} // namespace tavlen
