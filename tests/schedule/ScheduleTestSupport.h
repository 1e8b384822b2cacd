#pragma once

#include "Iso8601.h"
#include "ScheduleRule.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

// Short spellings of rules and instants for the schedule tables.
namespace tavlen::test {

inline const WeekdaySet allDays{1, 2, 3, 4, 5, 6, 7};

// Local times are written with their UTC offset, so each row states the instant it means.
inline Date at(const char* text)
{
    const auto date = parseISO8601DateTime(text);
    EXPECT_TRUE(date.has_value()) << text;
    return date.value_or(Date());
}

inline ScheduleRule every(std::int64_t minutes, WeekdaySet days, std::optional<ScheduleWindow> window = std::nullopt)
{
    return ScheduleRule::every({minutes, std::move(days), window});
}

inline ScheduleRule clock(std::vector<int> times, WeekdaySet days)
{
    return ScheduleRule::at({std::move(times), std::move(days)});
}

} // namespace tavlen::test
