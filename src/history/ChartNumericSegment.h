#pragma once

#include "ChartNumbers.h"
#include "ChartReading.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tavlen {

// One polyline of a number lane: two or more number readings in reading order. Neighbouring segments share the
// reading where one ends and the next begins.
struct ChartNumericSegment
{
    std::int64_t id = 0; // position in its series' segments
    ChartNumbers points; // of a built series: a slice of its numbers
    // Checks without a reading of the field lie between every two neighbouring points (drawn dashed); false when
    // the points come from consecutive checks.
    bool interrupted = false;

    // A copy with the reading inserted where its ordinal belongs, so a hovered reading lies on the drawn line even
    // when downsampling dropped it. Unchanged for no reading, a reading outside the first and last ordinals, or a
    // reading of a check already on the segment.
    ChartNumericSegment including(const std::optional<ChartReading>& reading) const;

    friend bool operator==(const ChartNumericSegment&, const ChartNumericSegment&) = default;
};

} // namespace tavlen
