#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tavlen {

// The rule in POSIX TZ form ("CET-1CEST,M3.5.0,M10.5.0/3") that ends a zoneinfo file and gives its offsets after
// the last transition the file lists, with the extensions of zoneinfo version 3 (rule times from -167 to 167
// hours, daylight time all year).
struct PosixTimeZoneRule
{
    // When daylight time starts or ends: a day of the year and a local time on it.
    struct Change
    {
        enum class Form
        {
            julianWithoutLeapDay, // Jn: 1 to 365, February 29 never counted
            zeroBasedDay,         // n: 0 to 365
            weekdayOfMonth,       // Mm.w.d: weekday d (0 Sunday) of week w (5: the last) of month m
        };
        Form form = Form::weekdayOfMonth;
        int day = 0;
        int month = 0;
        int week = 0;
        std::int32_t secondsOfDay = 7200; // -167 to 167 hours; 02:00 when left out
    };

    struct Daylight
    {
        std::int32_t offset = 0; // seconds east of UTC
        Change start;            // in standard local time
        Change end;              // in daylight local time
    };

    // One change of offset, at an instant in seconds since 1970.
    struct Transition
    {
        std::int64_t at = 0;
        std::int32_t offsetAfter = 0;
    };

    std::int32_t standardOffset = 0; // seconds east of UTC
    std::optional<Daylight> daylight;

    // The rule of a TZ text; none for text that is not a whole rule.
    static std::optional<PosixTimeZoneRule> parse(std::string_view text);

    // The start and end of daylight time in a year, earlier first. Only for a rule with daylight time.
    std::array<Transition, 2> transitionsIn(int year) const;
};

} // namespace tavlen
