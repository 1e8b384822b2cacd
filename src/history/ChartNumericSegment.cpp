#include "ChartNumericSegment.h"

#include <algorithm>

namespace tavlen {

ChartNumericSegment ChartNumericSegment::including(const std::optional<ChartReading>& reading) const
{
    if (!reading || points.empty() || reading->ordinal < points.front().ordinal ||
        reading->ordinal > points.back().ordinal) {
        return *this;
    }
    const auto at = std::lower_bound(
        points.begin(), points.end(), reading->ordinal, [](const ChartReading& point, std::int64_t ordinal) {
            return point.ordinal < ordinal;
        });
    if (at->checkID == reading->checkID) {
        return *this;
    }
    ChartNumericSegment copy = *this;
    copy.points.insert(copy.points.begin() + (at - points.begin()), *reading);
    return copy;
}

} // namespace tavlen
