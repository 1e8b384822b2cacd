#include "SQLiteScheduleRepository.h"

#include "MonitorDatabase.h"
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

// Every enabled monitor with what the pass needs of it, in one statement: the monitor's own columns, its runtime
// row (runtime_version is NULL without one) and whether it has saved steps.
constexpr const char* enabledMonitors =
    "SELECT m.*, r.schedule_version AS runtime_version, r.state_json AS state_json,\n"
    "    EXISTS (SELECT 1 FROM monitor_steps s WHERE s.monitor_id = m.id) AS has_steps\n"
    "FROM monitors m LEFT JOIN schedule_runtime r ON r.monitor_id = m.id\n"
    "WHERE m.schedule_enabled = 1";

// Where the columns of enabledMonitors are, found once per pass.
struct EnabledColumns
{
    int id;
    int scheduleVersion;
    int scheduleJson;
    int runtimeVersion;
    int stateJson;
    int hasSteps;

    static EnabledColumns of(const SqliteStatement& row)
    {
        return EnabledColumns{row.columnIndex("id"),
                              row.columnIndex("schedule_version"),
                              row.columnIndex("schedule_json"),
                              row.columnIndex("runtime_version"),
                              row.columnIndex("state_json"),
                              row.columnIndex("has_steps")};
    }
};

// One enabled monitor as the pass reads it.
struct EnabledMonitor
{
    Monitor monitor;
    std::optional<ScheduleState> state; // none without a runtime row of the current schedule version
    bool hasSteps = false;
};

std::vector<EnabledMonitor> readEnabledMonitors(SqliteConnection& connection, ScheduleRowCache& cache)
{
    std::vector<EnabledMonitor> monitors;
    SqliteStatement row(connection, enabledMonitors);
    if (!row.step()) {
        return monitors;
    }
    const EnabledColumns columns = EnabledColumns::of(row);
    do {
        const Uuid id = parseStoredUuid(row.columnTextView(columns.id));
        const std::int64_t version = row.columnInt64(columns.scheduleVersion);
        EnabledMonitor enabled{cache.monitor(row, id, version, row.columnTextView(columns.scheduleJson)),
                               std::nullopt,
                               row.columnInt64(columns.hasSteps) != 0};
        if (!row.isNull(columns.runtimeVersion) && row.columnInt64(columns.runtimeVersion) == version) {
            enabled.state = cache.state(id, row.columnTextView(columns.stateJson));
        }
        monitors.push_back(std::move(enabled));
    } while (row.step());
    return monitors;
}

// A missing runtime row or one of an older schedule version is replaced by a fresh state, and the old version's
// queued check goes with it.
ScheduleState startedState(SqliteConnection& connection,
                           const Monitor& monitor,
                           const ScheduleCalculator& calculator,
                           Date now,
                           ScheduleRowCache& cache)
{
    connection.prepare("DELETE FROM scheduled_checks_queue WHERE monitor_id = ?")
        .bind(1, monitor.id.lowercaseString())
        .execute();
    ScheduleState fresh = calculator.startedState(monitor.schedule.preferences.rule, now);
    saveScheduleState(connection, monitor, fresh);
    cache.remember(monitor.id, fresh.encodeStored(), fresh);
    return fresh;
}

} // namespace

QCoro::Task<ScheduleSnapshot> SQLiteScheduleRepository::refresh(Date now, std::string timeZoneID)
{
    auto body = [rows = m_rows, now, zone = std::move(timeZoneID)](SqliteConnection& connection) {
        return refreshNow(connection, now, zone, *rows);
    };
    co_return co_await m_database.write(std::move(body));
}

QCoro::Task<bool> SQLiteScheduleRepository::claim(QueuedCheck check)
{
    auto body = [check](SqliteConnection& connection) { return claimNow(connection, check); };
    co_return co_await m_database.write(std::move(body));
}

ScheduleSnapshot SQLiteScheduleRepository::refreshNow(SqliteConnection& connection,
                                                      Date now,
                                                      std::string_view zoneID,
                                                      ScheduleRowCache& cache)
{
    const ScheduleCalculator calculator = ScheduleCalculator::inZone(zoneID);
    ScheduleSnapshot snapshot;
    for (EnabledMonitor& enabled : readEnabledMonitors(connection, cache)) {
        const Monitor& monitor = enabled.monitor;
        const Uuid& id = monitor.id;
        if (enabled.hasSteps && !SQLiteStepsRepository::stepsModelsAvailable(connection, id)) {
            snapshot.modelsUnavailable.insert(id);
        }
        const ScheduleRule& rule = monitor.schedule.preferences.rule;
        ScheduleState state =
            enabled.state ? std::move(*enabled.state) : startedState(connection, monitor, calculator, now, cache);
        const std::optional<ScheduleOccurrence> occurrence = calculator.nextOccurrence(rule, state, now);
        if (occurrence && occurrence->due <= now) {
            // Fails with invalidStoredData before anything is queued when the token cannot grow any more.
            ScheduleState advanced = calculator.advancedState(rule, state, *occurrence, now);
            connection
                .prepare("INSERT INTO scheduled_checks_queue (monitor_id, id, schedule_version, due_at_ms)\n"
                         "VALUES (?, ?, ?, ?) ON CONFLICT(monitor_id) DO NOTHING")
                .bindAll(id.lowercaseString(),
                         Uuid::random().lowercaseString(),
                         monitor.schedule.version,
                         occurrence->due.milliseconds())
                .execute();
            saveScheduleState(connection, monitor, advanced);
            cache.remember(id, advanced.encodeStored(), advanced);
            state = std::move(advanced);
        }
        snapshot.states.insert_or_assign(id, std::move(state));
    }
    cache.keepOnly(snapshot.states);

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
