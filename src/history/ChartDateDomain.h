#pragma once

#include "Date.h"

#include <cstdint>

namespace tavlen {

// The closed range of dates a chart's time axis spans.
struct ChartDateDomain
{
    Date lower;
    Date upper;

    friend bool operator==(const ChartDateDomain&, const ChartDateDomain&) = default;
};

// The dates of a window's start and end (milliseconds since 1970, start not after end).
inline ChartDateDomain chartDateDomain(std::int64_t startMilliseconds, std::int64_t endMilliseconds)
{
    return {Date::fromMilliseconds(startMilliseconds), Date::fromMilliseconds(endMilliseconds)};
}

} // namespace tavlen
