#include "ChartSeries.h"

#include <algorithm>
#include <cstdint>

namespace tavlen {

std::optional<ChartReading> ChartSeries::nearestNumber(std::int64_t milliseconds) const
{
    const auto firstAtOrAfter = [this](std::int64_t time) {
        return std::lower_bound(numbers.begin(), numbers.end(), time, [](const ChartReading& reading, std::int64_t t) {
            return reading.timeMilliseconds < t;
        });
    };
    const auto lo = firstAtOrAfter(window.startMilliseconds);
    const auto hi = firstAtOrAfter(window.endMilliseconds);
    if (lo >= hi) {
        return std::nullopt;
    }
    const auto u = firstAtOrAfter(milliseconds);
    auto candidate = u;
    if (u <= lo) {
        candidate = lo;
    } else if (u >= hi) {
        candidate = hi - 1;
    } else {
        // Both distances are non-negative, so unsigned differences are exact even where a signed one overflows.
        const auto after = static_cast<std::uint64_t>(u->timeMilliseconds) - static_cast<std::uint64_t>(milliseconds);
        const auto before =
            static_cast<std::uint64_t>(milliseconds) - static_cast<std::uint64_t>((u - 1)->timeMilliseconds);
        candidate = after < before ? u : u - 1;
    }
    // The first reading at that time, so equal times always give the same one.
    return *firstAtOrAfter(candidate->timeMilliseconds);
}

} // namespace tavlen
