#pragma once

#include "MonitorCheckFailure.h"
#include "MonitorCheckOutcome.h"
#include "MonitorCheckUsage.h"
#include "Uuid.h"

#include <cstdint>
#include <optional>

namespace tavlen {

// One stored check of a monitor (a monitor_checks row) as the rest of the system sees it.
struct MonitorCheck
{
    Uuid id;
    Uuid monitorID;
    std::int64_t startedAtMilliseconds = 0;
    std::int64_t completedAtMilliseconds = 0;   // never before the start
    std::optional<MonitorCheckFailure> failure; // absent when the check succeeded
    std::int64_t readingCount = 0;
    std::optional<MonitorCheckUsage> usage;

    MonitorCheckOutcome outcome() const { return outcomeOf(failure); }

    friend bool operator==(const MonitorCheck&, const MonitorCheck&) = default;
};

} // namespace tavlen
