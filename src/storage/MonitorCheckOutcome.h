#pragma once

#include "MonitorCheckFailure.h"

#include <array>
#include <optional>
#include <string_view>

namespace tavlen {

// How a check ended, for status display.
enum class MonitorCheckOutcome
{
    succeeded,
    failed,
    cancelled,
};

inline constexpr std::array<MonitorCheckOutcome, 3> allMonitorCheckOutcomes{
    MonitorCheckOutcome::succeeded, MonitorCheckOutcome::failed, MonitorCheckOutcome::cancelled};

// "succeeded", "failed" or "cancelled".
std::string_view textOf(MonitorCheckOutcome outcome);

// No failure: succeeded; the code "cancelled" exactly: cancelled; any other failure: failed.
MonitorCheckOutcome outcomeOf(const std::optional<MonitorCheckFailure>& failure);

// The same rule applied to a stored error code (NULL for a check that succeeded).
MonitorCheckOutcome outcomeOfCode(const std::optional<std::string_view>& code);

} // namespace tavlen
