#pragma once

#include <cstdint>
#include <optional>

namespace tavlen {

// The time range a chart asks for, in milliseconds since 1970: [start, end), where an absent start means all
// time, from the monitor's first check on.
struct ChartRange
{
    std::optional<std::int64_t> startMilliseconds;
    std::int64_t endMilliseconds = 0;

    friend bool operator==(const ChartRange&, const ChartRange&) = default;
};

} // namespace tavlen
