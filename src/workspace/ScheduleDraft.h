#pragma once

#include "MonitorSchedule.h"
#include "ScheduleChoices.h"
#include "ScheduleRule.h"
#include "Uuid.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavlen {

struct Monitor;

// One time row of an at-schedule: its identity while the list is edited and its minute of the day.
struct ScheduleTimeDraft
{
    Uuid id;
    int minute = 540;

    friend bool operator==(const ScheduleTimeDraft&, const ScheduleTimeDraft&) = default;
};

// The editable form of a monitor's schedule: a plain value, copied and compared. It keeps what the inactive mode
// and a switched-off window hold, so switching back loses nothing, and enforces nothing: whether the form is
// valid is decided only by building its rule and validating that.
struct ScheduleDraft
{
    // The part of the form a validation message belongs to.
    enum class Field
    {
        intervalPreset,
        customInterval,
        scheduleRule,
    };

    IntervalPreset intervalPreset = IntervalPreset::oneHour;
    std::string customInterval = "60"; // exactly as typed
    IntervalUnit customUnit = IntervalUnit::minutes;
    bool scheduleEnabled = false;
    ScheduleMode scheduleMode = ScheduleMode::every;
    WeekdaySet everyWeekdays{1, 2, 3, 4, 5, 6, 7};
    WeekdaySet atWeekdays{1, 2, 3, 4, 5, 6, 7};
    bool windowEnabled = false;
    int windowStartMinuteOfDay = 540;
    int windowEndMinuteOfDay = 1020; // 1440 is the midnight that ends the day
    std::vector<ScheduleTimeDraft> atTimes;

    // The form of the monitor's stored schedule preferences; time rows get fresh ids. A stored interval is always
    // written in minutes.
    static ScheduleDraft fromMonitor(const Monitor& monitor);
    static ScheduleDraft fromPreferences(const MonitorSchedulePreferences& preferences);

    // The interval of the chosen preset, or of the custom amount (trimmed, ASCII digits only, at least 1, times
    // the unit); none when the amount is not such a number or the product overflows.
    std::optional<std::int64_t> intervalMinutes() const;
    // The rule the form describes, unvalidated: at-times in list order; none without an interval.
    std::optional<ScheduleRule> rule() const;
    // The validated rule (at-times sorted) with the enabled flag: what a save writes; none when invalid.
    std::optional<MonitorSchedulePreferences> preferences() const;
    // customInterval, then scheduleRule; none when the form is valid.
    std::optional<Field> firstInvalidField() const;
    // The sentence to show beside the field, or none.
    std::optional<std::string> validationMessage(Field field) const;

    // Every field counts, also those of the inactive mode; the custom amount by its UTF-8 bytes, the time rows by
    // their minutes in order (not their ids).
    bool isEqual(const ScheduleDraft& other) const;

    friend bool operator==(const ScheduleDraft& a, const ScheduleDraft& b) { return a.isEqual(b); }
};

} // namespace tavlen
