#pragma once

#include "QueuedCheck.h"
#include "ScheduleState.h"
#include "Uuid.h"

#include <map>
#include <set>
#include <vector>

namespace tavlen {

// What one schedule refresh found: the runtime state of every monitor with scheduling on, the queue in start
// order (due time, then monitor id text) and the monitors whose saved steps cannot run for want of a model.
struct ScheduleSnapshot
{
    std::map<Uuid, ScheduleState> states;
    std::vector<QueuedCheck> queue;
    std::set<Uuid> modelsUnavailable;

    friend bool operator==(const ScheduleSnapshot&, const ScheduleSnapshot&) = default;
};

} // namespace tavlen
