#pragma once

#include "ScheduleSnapshot.h"
#include "ScheduleState.h"
#include "Uuid.h"

#include <optional>

namespace tavlen::ui {

// What the scheduler's snapshot says of one monitor: a scheduled check of it waits in the queue, and its
// schedule's runtime state. Without a snapshot (no scheduler) neither.
struct MonitorScheduleFacts
{
    bool isQueued = false;
    std::optional<ScheduleState> state;
};

MonitorScheduleFacts scheduleFactsOf(const ScheduleSnapshot* snapshot, const Uuid& monitorID);

} // namespace tavlen::ui
