#pragma once

#include "ScheduleRule.h"

#include <cstdint>

namespace tavlen {

// The part of a monitor's schedule that the user edits.
struct MonitorSchedulePreferences
{
    ScheduleRule rule;
    bool scheduleEnabled = false;

    // The schedule of every new monitor: the default rule, scheduling off.
    static MonitorSchedulePreferences defaultValue() { return {ScheduleRule::defaultRule(), false}; }

    friend bool operator==(const MonitorSchedulePreferences&, const MonitorSchedulePreferences&) = default;
};

// A monitor's schedule as stored: the preferences and the row's schedule version (starts at 1, grows with every
// saved schedule change).
struct MonitorSchedule
{
    std::int64_t version = 1;
    MonitorSchedulePreferences preferences = MonitorSchedulePreferences::defaultValue();

    friend bool operator==(const MonitorSchedule&, const MonitorSchedule&) = default;
};

// A schedule edit handed to the repository: the version the edit was based on and the new preferences.
struct MonitorScheduleChange
{
    std::int64_t expectedVersion = 1;
    MonitorSchedulePreferences preferences = MonitorSchedulePreferences::defaultValue();

    friend bool operator==(const MonitorScheduleChange&, const MonitorScheduleChange&) = default;
};

} // namespace tavlen
