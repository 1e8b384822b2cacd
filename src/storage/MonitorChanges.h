#pragma once

#include "Monitor.h"
#include "MonitorSchedule.h"
#include "SavedSteps.h"
#include "StepsWorkflow.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tavlen {

// The steps part of a monitor save: the workflow over the version the editor started from (absent: none saved).
struct MonitorStepsSave
{
    std::optional<std::int64_t> expectedVersion;
    StepsWorkflow workflow;
};

// The edits of one monitor saved together: a new name over the monitor's `version`, a schedule change over its
// schedule version, and the steps over the workflow's own version; each part is optional.
struct MonitorChanges
{
    std::int64_t expectedVersion = 1; // guards `name` only
    std::optional<std::string> name;
    std::optional<MonitorScheduleChange> schedule;
    std::optional<MonitorStepsSave> steps;
};

// The result of a save: the monitor as stored afterwards and, when the save included them, the steps.
struct SavedMonitorChanges
{
    Monitor monitor;
    std::optional<SavedSteps> steps;

    friend bool operator==(const SavedMonitorChanges&, const SavedMonitorChanges&) = default;
};

} // namespace tavlen
