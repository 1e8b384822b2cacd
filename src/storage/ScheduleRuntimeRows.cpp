#include "ScheduleRuntimeRows.h"

#include "Monitor.h"
#include "ScheduleCalculator.h"
#include "SqliteConnection.h"
#include "SqliteStatement.h"

namespace tavlen {

void resetSchedule(SqliteConnection& connection, const Monitor& monitor, Date now)
{
    const std::string id = monitor.id.lowercaseString();
    connection.prepare("DELETE FROM scheduled_checks_queue WHERE monitor_id = ?").bind(1, id).execute();
    connection.prepare("DELETE FROM schedule_runtime WHERE monitor_id = ?").bind(1, id).execute();
    const MonitorSchedulePreferences& preferences = monitor.schedule.preferences;
    if (preferences.scheduleEnabled) {
        const ScheduleCalculator calculator = ScheduleCalculator::inCurrentZone();
        saveScheduleState(connection, monitor, calculator.startedState(preferences.rule, now));
    }
}

void saveScheduleState(SqliteConnection& connection, const Monitor& monitor, const ScheduleState& state)
{
    connection
        .prepare("INSERT INTO schedule_runtime (monitor_id, schedule_version, state_json) VALUES (?, ?, ?)\n"
                 "ON CONFLICT(monitor_id) DO UPDATE SET schedule_version = excluded.schedule_version, state_json = "
                 "excluded.state_json")
        .bindAll(monitor.id.lowercaseString(), monitor.schedule.version, state.encodeStored())
        .execute();
}

} // namespace tavlen
