#include "ChartNumericSegment.h"

namespace tavlen {

ChartNumericSegment ChartNumericSegment::including(const std::optional<ChartReading>& reading) const
{
    if (!reading || points.empty() || reading->ordinal < points.ordinalAt(0) ||
        reading->ordinal > points.ordinalAt(points.size() - 1)) {
        return *this;
    }
    std::size_t at = 0;
    std::size_t end = points.size();
    while (at < end) {
        const std::size_t middle = at + (end - at) / 2;
        if (points.ordinalAt(middle) < reading->ordinal) {
            at = middle + 1;
        } else {
            end = middle;
        }
    }
    if (points.checkIDAt(at) == reading->checkID) {
        return *this;
    }
    std::vector<ChartReading> drawn = points.readings();
    drawn.insert(drawn.begin() + static_cast<std::ptrdiff_t>(at), *reading);
    return ChartNumericSegment{id, ChartNumbers(drawn), interrupted};
}

} // namespace tavlen
