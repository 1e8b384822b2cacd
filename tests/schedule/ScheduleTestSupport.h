#pragma once

#include "Iso8601.h"
#include "ScheduleRule.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
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

// The release of the system's tz database ("2025b"), or empty when the database does not say.
inline std::string tzDatabaseVersion()
{
    for (const char* file : {"/usr/share/zoneinfo/+VERSION", "/usr/share/zoneinfo/tzdata.zi"}) {
        std::ifstream stream(file);
        std::string line;
        if (!std::getline(stream, line)) {
            continue;
        }
        std::string_view version = line;
        if (version.starts_with("# version ")) {
            version.remove_prefix(10);
        }
        while (!version.empty() && std::isspace(static_cast<unsigned char>(version.back()))) {
            version.remove_suffix(1);
        }
        if (!version.empty() && std::isdigit(static_cast<unsigned char>(version.front()))) {
            return std::string(version);
        }
    }
    return {};
}

// Whether the system's tz database is of release `version` or later. Releases are a year and a letter, so their
// text order is their order.
inline bool tzDatabaseIsAtLeast(std::string_view version)
{
    const std::string installed = tzDatabaseVersion();
    return !installed.empty() && installed >= version;
}

} // namespace tavlen::test
