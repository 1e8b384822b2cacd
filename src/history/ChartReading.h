#pragma once

#include "ReadingValue.h"
#include "Uuid.h"

#include <cstdint>
#include <string>

namespace tavlen {

// One stored reading placed on the chart's time line.
struct ChartReading
{
    Uuid checkID;
    Uuid fieldID;
    std::int64_t timeMilliseconds = 0; // the check's start
    std::int64_t ordinal = 0;          // 1-based position of the check among all the monitor's checks
    std::string fieldName;             // as stored with the reading
    ReadingValue value = ReadingValue::ofNumber(0);

    // The name by canonical equivalence, the value as ReadingValue compares it.
    friend bool operator==(const ChartReading& a, const ChartReading& b);
};

} // namespace tavlen
