#pragma once

namespace tavlen {

// Who started the running execution: a step test from the Steps editor, a check the user asked for, or the
// scheduler.
enum class StepsExecutionOrigin
{
    step,
    monitor,
    scheduled,
};

// How far waiting for a monitor's work may stop its execution: not at all, a step test or manual check only, or
// whatever runs.
enum class StepsStopMode
{
    none,
    interactive,
    all,
};

} // namespace tavlen
