#pragma once

#include "ChartField.h"
#include "ChartIssue.h"
#include "ChartNumbers.h"
#include "ChartNumericDomain.h"
#include "ChartNumericSegment.h"
#include "ChartReading.h"
#include "ChartTextInterval.h"
#include "ChartWindow.h"
#include "Uuid.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavlen {

// Everything the Charts tab draws for one field of a snapshot. Identified by its field's id.
struct ChartSeries
{
    // New for every series of every build: hover layers reset when it changes.
    Uuid snapshotID;
    ChartField field;
    // The field's name, with " · " and the end of its id when another field's name differs only in case.
    std::string title;
    ChartWindow window;
    std::vector<ChartNumericSegment> numericSegments; // in time order; each a slice of numbers
    ChartNumericDomain numericDomain;
    std::array<double, 5> numericTicks{}; // from the lower to the upper end of the domain
    // Every number reading of the field by time (then check id), also those just before and after the window.
    ChartNumbers numbers;
    std::vector<ChartTextInterval> textIntervals; // in time order
    std::vector<ChartIssue> issues;               // in the snapshot's check order
    bool hasNumberLane = false;
    bool hasTextLane = false;

    // The number reading inside the window nearest to the time (a tie goes to the earlier one); none when the
    // window holds no number reading.
    std::optional<ChartReading> nearestNumber(std::int64_t milliseconds) const;

    friend bool operator==(const ChartSeries&, const ChartSeries&) = default;
};

} // namespace tavlen
