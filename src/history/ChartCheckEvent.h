#pragma once

#include "MonitorCheckFailure.h"
#include "Uuid.h"

#include <cstdint>
#include <optional>
#include <set>

namespace tavlen {

// A stored check that started in the chart's window.
struct ChartCheckEvent
{
    Uuid id;
    std::int64_t timeMilliseconds = 0; // the check's start
    std::optional<MonitorCheckFailure> failure;
    std::set<Uuid> fieldIDs; // the fields it has a reading of in the window

    friend bool operator==(const ChartCheckEvent&, const ChartCheckEvent&) = default;
};

} // namespace tavlen
