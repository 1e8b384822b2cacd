#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace tavlen {

// How a schedule repeats: every so often, or at given times of the day.
enum class ScheduleMode
{
    every,
    at,
};

inline constexpr std::array<ScheduleMode, 2> allScheduleModes{ScheduleMode::every, ScheduleMode::at};

// "Every…" or "At…" (ending in U+2026): the labels of the mode choice.
std::string_view rawValueOf(ScheduleMode mode);

// The interval choices of an every-schedule; the value is the interval in minutes, 0 for a custom amount.
enum class IntervalPreset
{
    fifteenMinutes = 15,
    thirtyMinutes = 30,
    oneHour = 60,
    sixHours = 360,
    oneDay = 1440,
    custom = 0,
};

inline constexpr std::array<IntervalPreset, 6> allIntervalPresets{IntervalPreset::fifteenMinutes,
                                                                  IntervalPreset::thirtyMinutes,
                                                                  IntervalPreset::oneHour,
                                                                  IntervalPreset::sixHours,
                                                                  IntervalPreset::oneDay,
                                                                  IntervalPreset::custom};

// The unit of a custom interval amount; the value is minutes per unit.
enum class IntervalUnit
{
    minutes = 1,
    hours = 60,
    days = 1440,
};

inline constexpr std::array<IntervalUnit, 3> allIntervalUnits{
    IntervalUnit::minutes, IntervalUnit::hours, IntervalUnit::days};

constexpr int rawValueOf(IntervalPreset preset)
{
    return static_cast<int>(preset);
}

constexpr int rawValueOf(IntervalUnit unit)
{
    return static_cast<int>(unit);
}

// The preset or unit with exactly that raw value; none for any other number.
std::optional<IntervalPreset> intervalPresetFromRawValue(long long minutes);
std::optional<IntervalUnit> intervalUnitFromRawValue(long long minutes);

} // namespace tavlen
