#pragma once

#include <cstdint>

namespace tavlen {

// The resolved half-open window [start, end) of a chart, in milliseconds since 1970.
struct ChartWindow
{
    std::int64_t startMilliseconds = 0;
    std::int64_t endMilliseconds = 0;

    bool contains(std::int64_t milliseconds) const
    {
        return milliseconds >= startMilliseconds && milliseconds < endMilliseconds;
    }

    friend bool operator==(const ChartWindow&, const ChartWindow&) = default;
};

} // namespace tavlen
