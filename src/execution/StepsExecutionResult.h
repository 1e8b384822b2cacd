#pragma once

#include "MonitorCheckFailure.h"
#include "MonitorCheckUsage.h"
#include "Reading.h"

#include <optional>
#include <vector>

namespace tavlen {

// What one execution gives its settlement.
struct StepsExecutionResult
{
    std::optional<MonitorCheckFailure> failure; // absent when every step up to the target succeeded
    std::vector<Reading> readings;              // empty after a failure
    MonitorCheckUsage usage;                    // also after a failure

    friend bool operator==(const StepsExecutionResult&, const StepsExecutionResult&) = default;
};

} // namespace tavlen
