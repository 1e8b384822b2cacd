#pragma once

#include "Uuid.h"

#include <cstdint>
#include <string>

namespace tavlen {

// A marker of the issue strip: a check in the window that gave no reading of the series' field.
struct ChartIssue
{
    Uuid id;                           // the check
    std::int64_t timeMilliseconds = 0; // its start
    std::string message;               // the sentence shown for the marker

    friend bool operator==(const ChartIssue&, const ChartIssue&) = default;
};

} // namespace tavlen
