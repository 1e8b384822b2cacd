#include "SQLiteScheduleRepository.h"

#include "MonitorDatabase.h"
#include "MonitorLookup.h"
#include "MonitorStoreError.h"
#include "SQLiteStepsRepository.h"
#include "ScheduleCalculator.h"
#include "ScheduleRuntimeRows.h"
#include "SqliteConnection.h"
#include "SqliteStatement.h"

#include <string>
#include <vector>

namespace tavlen {

namespace {

Uuid parseStoredUuid(std::string_view text)
{
    const std::optional<Uuid> id = Uuid::parse(text);
    if (!id) {
        throw MonitorStoreError::invalidStoredData();
    }
    return *id;
}

// The monitor's runtime state for its current schedule version; a missing row or one of an older version is
// replaced by a fresh state, and the old version's queued check goes with it.
ScheduleState currentState(SqliteConnection& connection,
                           const Monitor& monitor,
                           const std::string& idText,
                           const ScheduleCalculator& calculator,
                           Date now)
{
    SqliteStatement row(connection, "SELECT * FROM schedule_runtime WHERE monitor_id = ?");
    row.bind(1, idText);
    if (row.step() && row.columnInt64(row.columnIndex("schedule_version")) == monitor.schedule.version) {
        return ScheduleState::decodeStored(row.columnTextView(row.columnIndex("state_json")));
    }
    row.reset();
    connection.prepare("DELETE FROM scheduled_checks_queue WHERE monitor_id = ?").bind(1, idText).execute();
    const ScheduleState fresh = calculator.startedState(monitor.schedule.preferences.rule, now);
    saveScheduleState(connection, monitor, fresh);
    return fresh;
}

} // namespace

QCoro::Task<ScheduleSnapshot> SQLiteScheduleRepository::refresh(Date now, std::string timeZoneID)
{
    auto body = [now, zone = std::move(timeZoneID)](SqliteConnection& connection) {
        return refreshNow(connection, now, zone);
    };
    co_return co_await m_database.write(std::move(body));
}

QCoro::Task<bool> SQLiteScheduleRepository::claim(QueuedCheck check)
{
    auto body = [check](SqliteConnection& connection) { return claimNow(connection, check); };
    co_return co_await m_database.write(std::move(body));
}

ScheduleSnapshot SQLiteScheduleRepository::refreshNow(SqliteConnection& connection, Date now, std::string_view zoneID)
{
    const ScheduleCalculator calculator = ScheduleCalculator::inZone(zoneID);
    ScheduleSnapshot snapshot;

    std::vector<std::string> enabled;
    {
        SqliteStatement ids(connection, "SELECT id FROM monitors WHERE schedule_enabled = 1");
        while (ids.step()) {
            enabled.push_back(ids.columnText(0));
        }
    }
    for (const std::string& idText : enabled) {
        const Uuid id = parseStoredUuid(idText);
        const Monitor monitor = requireMonitor(connection, id);
        if (!SQLiteStepsRepository::stepsModelsAvailable(connection, id)) {
            snapshot.modelsUnavailable.insert(id);
        }
        const ScheduleRule& rule = monitor.schedule.preferences.rule;
        ScheduleState state = currentState(connection, monitor, idText, calculator, now);
        const std::optional<ScheduleOccurrence> occurrence = calculator.nextOccurrence(rule, state, now);
        if (occurrence && occurrence->due <= now) {
            // Fails with invalidStoredData before anything is queued when the token cannot grow any more.
            ScheduleState advanced = calculator.advancedState(rule, state, *occurrence, now);
            connection
                .prepare("INSERT INTO scheduled_checks_queue (monitor_id, id, schedule_version, due_at_ms)\n"
                         "VALUES (?, ?, ?, ?) ON CONFLICT(monitor_id) DO NOTHING")
                .bindAll(
                    idText, Uuid::random().lowercaseString(), monitor.schedule.version, occurrence->due.milliseconds())
                .execute();
            saveScheduleState(connection, monitor, advanced);
            state = std::move(advanced);
        }
        snapshot.states.insert_or_assign(id, std::move(state));
    }

    SqliteStatement queue(connection,
                          "SELECT q.* FROM scheduled_checks_queue q JOIN monitors s ON s.id = q.monitor_id\n"
                          "WHERE s.schedule_enabled = 1 AND s.schedule_version = q.schedule_version\n"
                          "ORDER BY q.due_at_ms, q.monitor_id");
    while (queue.step()) {
        snapshot.queue.push_back(decodeQueuedCheck(queue));
    }
    return snapshot;
}

bool SQLiteScheduleRepository::claimNow(SqliteConnection& connection, const QueuedCheck& check)
{
    if (!SQLiteStepsRepository::stepsModelsAvailable(connection, check.monitorID)) {
        return false;
    }
    connection
        .prepare("DELETE FROM scheduled_checks_queue WHERE monitor_id = ? AND id = ? AND schedule_version = ?\n"
                 "AND EXISTS (SELECT 1 FROM monitors s WHERE s.id = scheduled_checks_queue.monitor_id\n"
                 "    AND s.schedule_enabled = 1\n"
                 "    AND s.schedule_version = scheduled_checks_queue.schedule_version)")
        .bindAll(check.monitorID.lowercaseString(), check.id.lowercaseString(), check.scheduleVersion)
        .execute();
    return connection.changes() == 1;
}

QueuedCheck SQLiteScheduleRepository::decodeQueuedCheck(const SqliteStatement& row)
{
    QueuedCheck check;
    check.id = parseStoredUuid(row.columnTextView(row.columnIndex("id")));
    check.monitorID = parseStoredUuid(row.columnTextView(row.columnIndex("monitor_id")));
    check.scheduleVersion = row.columnInt64(row.columnIndex("schedule_version"));
    check.dueAtMilliseconds = row.columnInt64(row.columnIndex("due_at_ms"));
    return check;
}

} // namespace tavlen
