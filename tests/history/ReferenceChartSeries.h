#pragma once

#include "ChartIssue.h"
#include "ChartReading.h"
#include "ChartSnapshot.h"
#include "ChartTextInterval.h"

#include <vector>

namespace tavlen::test {

// The series of one field as the builder made them when every segment held copies of its readings: the plain
// form the compact series are checked against.
struct ReferenceSegment
{
    std::vector<ChartReading> points;
    bool interrupted = false;

    friend bool operator==(const ReferenceSegment&, const ReferenceSegment&) = default;
};

struct ReferenceSeries
{
    std::vector<ChartReading> numbers;
    std::vector<ReferenceSegment> segments;
    std::vector<ChartTextInterval> intervals;
    std::vector<ChartIssue> issues;
};

ReferenceSeries referenceSeries(const ChartSnapshot& snapshot, const ChartField& field);

} // namespace tavlen::test
