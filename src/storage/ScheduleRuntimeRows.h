#pragma once

#include "Date.h"

namespace tavlen {

class SqliteConnection;
struct Monitor;
struct ScheduleState;

// The runtime rows of a monitor's schedule (schedule_runtime and scheduled_checks_queue), written inside a write
// transaction the caller holds; statement and encoding failures are thrown unchanged, so that transaction rolls
// back.

// After a saved schedule change (`monitor` as stored with its new schedule version): the monitor's queued check and
// runtime state go, and an enabled schedule starts afresh at `now` in the system's current time zone.
void resetSchedule(SqliteConnection& connection, const Monitor& monitor, Date now);

// Stores the state as the monitor's runtime state for its current schedule version.
void saveScheduleState(SqliteConnection& connection, const Monitor& monitor, const ScheduleState& state);

} // namespace tavlen
