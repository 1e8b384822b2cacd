#include "ChartSeries.h"

#include <cstdint>

namespace tavlen {

std::optional<ChartReading> ChartSeries::nearestNumber(std::int64_t milliseconds) const
{
    const auto firstAtOrAfter = [this](std::int64_t time) {
        std::size_t first = 0;
        std::size_t last = numbers.size();
        while (first < last) {
            const std::size_t middle = first + (last - first) / 2;
            if (numbers.timeAt(middle) < time) {
                first = middle + 1;
            } else {
                last = middle;
            }
        }
        return first;
    };
    const std::size_t lo = firstAtOrAfter(window.startMilliseconds);
    const std::size_t hi = firstAtOrAfter(window.endMilliseconds);
    if (lo >= hi) {
        return std::nullopt;
    }
    const std::size_t u = firstAtOrAfter(milliseconds);
    std::size_t candidate = u;
    if (u <= lo) {
        candidate = lo;
    } else if (u >= hi) {
        candidate = hi - 1;
    } else {
        // Both distances are non-negative, so unsigned differences are exact even where a signed one overflows.
        const auto after = static_cast<std::uint64_t>(numbers.timeAt(u)) - static_cast<std::uint64_t>(milliseconds);
        const auto before =
            static_cast<std::uint64_t>(milliseconds) - static_cast<std::uint64_t>(numbers.timeAt(u - 1));
        candidate = after < before ? u : u - 1;
    }
    // The first reading at that time, so equal times always give the same one.
    return numbers[firstAtOrAfter(numbers.timeAt(candidate))];
}

} // namespace tavlen
