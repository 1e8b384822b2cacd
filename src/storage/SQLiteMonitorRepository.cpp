#include "SQLiteMonitorRepository.h"

#include "MonitorDatabase.h"
#include "MonitorLookup.h"
#include "MonitorOrder.h"
#include "MonitorStoreError.h"
#include "SQLiteStepsRepository.h"
#include "ScheduleRuntimeRows.h"
#include "SqliteStatement.h"
#include "TimeSource.h"
#include "Utf8.h"

#include <algorithm>
#include <limits>

namespace tavlen {

namespace {

constexpr std::int64_t largestVersion = std::numeric_limits<std::int64_t>::max();

constexpr const char* insertMonitor =
    "INSERT INTO monitors (id, name, version, created_at_ms, schedule_enabled, schedule_version, schedule_json)\n"
    "VALUES (?, ?, 1, ?, 0, 1, ?)";
constexpr const char* renameMonitor =
    "UPDATE monitors SET name = ?, version = version + 1 WHERE id = ? AND version = ?";
constexpr const char* updateSchedule =
    "UPDATE monitors SET schedule_json = ?, schedule_enabled = ?, schedule_version = schedule_version + 1\n"
    "WHERE id = ? AND schedule_version = ?";

std::vector<Monitor> listMonitors(SqliteConnection& connection)
{
    std::vector<Monitor> byCreation;
    SqliteStatement rows(connection, "SELECT m.* FROM monitors m ORDER BY m.created_at_ms ASC, m.id ASC");
    while (rows.step()) {
        byCreation.push_back(decodeMonitorRow(rows));
    }
    SqliteStatement order(connection, "SELECT monitor_order_json FROM app_settings WHERE id = 1");
    if (!order.step()) {
        throw MonitorStoreError::invalidStoredData();
    }
    return orderedMonitors(std::move(byCreation), order.columnText(0));
}

Monitor createMonitor(SqliteConnection& connection, const Uuid& id, const std::string& name, std::int64_t createdAt)
{
    if (std::optional<Monitor> existing = fetchMonitor(connection, id)) {
        // The same new monitor created again (a retried create) is returned as it is.
        if (existing->version == 1 && utf8Equal(existing->name, name) && existing->schedule.version == 1 &&
            existing->schedule.preferences == MonitorSchedulePreferences::defaultValue()) {
            return std::move(*existing);
        }
        throw MonitorStoreError::staleEdit();
    }
    connection.prepare(insertMonitor)
        .bindAll(id.lowercaseString(), name, createdAt, MonitorSchedulePreferences::defaultValue().rule.encodeStored())
        .execute();
    return requireMonitor(connection, id);
}

void renameIfChanged(SqliteConnection& connection,
                     const Monitor& stored,
                     std::int64_t expected,
                     const std::string& name)
{
    if (stored.version != expected) {
        throw MonitorStoreError::staleEdit();
    }
    if (utf8Equal(name, stored.name)) {
        return;
    }
    if (expected == largestVersion) {
        throw MonitorStoreError::invalidStoredData();
    }
    connection.prepare(renameMonitor).bindAll(name, stored.id.lowercaseString(), expected).execute();
    if (connection.changes() != 1) {
        throw MonitorStoreError::staleEdit();
    }
}

// Writes a changed schedule and restarts the monitor's schedule runtime; an unchanged one writes nothing.
void rescheduleIfChanged(SqliteConnection& connection,
                         const Monitor& stored,
                         const MonitorScheduleChange& change,
                         const TimeSource& time)
{
    MonitorSchedulePreferences preferences = change.preferences;
    if (auto* clockTimes = std::get_if<ClockSchedule>(&preferences.rule.schedule)) {
        std::sort(clockTimes->minutesOfDay.begin(), clockTimes->minutesOfDay.end());
    }
    if (preferences == stored.schedule.preferences) {
        return;
    }
    if (change.expectedVersion == largestVersion) {
        throw MonitorStoreError::invalidStoredData();
    }
    connection.prepare(updateSchedule)
        .bindAll(preferences.rule.encodeStored(),
                 preferences.scheduleEnabled,
                 stored.id.lowercaseString(),
                 change.expectedVersion)
        .execute();
    if (connection.changes() != 1) {
        throw MonitorStoreError::staleEdit();
    }
    resetSchedule(connection, requireMonitor(connection, stored.id), time.date());
}

SavedMonitorChanges
saveChangesBody(SqliteConnection& connection, const Uuid& id, const MonitorChanges& changes, const TimeSource& time)
{
    const Monitor stored = requireMonitor(connection, id);
    if (changes.schedule && changes.schedule->expectedVersion != stored.schedule.version) {
        throw MonitorStoreError::staleEdit();
    }
    if (changes.name) {
        renameIfChanged(connection, stored, changes.expectedVersion, *changes.name);
    }
    SavedMonitorChanges saved{stored, std::nullopt};
    if (changes.steps) {
        saved.steps = SQLiteStepsRepository::saveStepsBody(
            connection, id, changes.steps->expectedVersion, changes.steps->workflow);
    }
    if (changes.schedule) {
        rescheduleIfChanged(connection, stored, *changes.schedule, time);
    }
    saved.monitor = requireMonitor(connection, id);
    return saved;
}

} // namespace

QCoro::Task<std::vector<Monitor>> SQLiteMonitorRepository::monitors(std::stop_token token)
{
    auto task = m_database.read(listMonitors, token);
    co_return co_await std::move(task);
}

QCoro::Task<std::unordered_map<Uuid, MonitorSidebarSummary>>
SQLiteMonitorRepository::sidebarSummaries(std::stop_token token)
{
    auto task = m_database.read(readSidebarSummaries, token);
    co_return co_await std::move(task);
}

QCoro::Task<Monitor> SQLiteMonitorRepository::create(Uuid proposedID, std::string name, std::stop_token token)
{
    std::string normalized = normalizedMonitorName(name);
    const std::int64_t createdAt = m_time.date().milliseconds();
    auto body = [proposedID, normalized = std::move(normalized), createdAt](SqliteConnection& connection) {
        return createMonitor(connection, proposedID, normalized, createdAt);
    };
    auto task = m_database.write(std::move(body), token);
    co_return co_await std::move(task);
}

QCoro::Task<SavedMonitorChanges>
SQLiteMonitorRepository::saveChanges(Uuid monitorID, MonitorChanges changes, std::stop_token token)
{
    if (changes.name) {
        changes.name = normalizedMonitorName(*changes.name);
    }
    if (changes.schedule) {
        changes.schedule->preferences.rule.validate();
    }
    auto body = [monitorID, changes = std::move(changes), time = &m_time](SqliteConnection& connection) {
        return saveChangesBody(connection, monitorID, changes, *time);
    };
    auto task = m_database.write(std::move(body), token);
    co_return co_await std::move(task);
}

QCoro::Task<void> SQLiteMonitorRepository::deleteMonitor(Uuid monitorID, std::stop_token token)
{
    auto body = [monitorID](SqliteConnection& connection) {
        connection.prepare("DELETE FROM monitors WHERE id = ?").bind(1, monitorID.lowercaseString()).execute();
        if (connection.changes() != 1) {
            throw MonitorStoreError::missingMonitor();
        }
    };
    auto task = m_database.write(std::move(body), token);
    co_await std::move(task);
}

QCoro::Task<void> SQLiteMonitorRepository::reorder(std::vector<Uuid> monitorIDs, std::stop_token token)
{
    auto body = [order = encodeMonitorOrder(monitorIDs)](SqliteConnection& connection) {
        connection.prepare("UPDATE app_settings SET monitor_order_json = ? WHERE id = 1").bind(1, order).execute();
        if (connection.changes() != 1) {
            throw MonitorStoreError::invalidStoredData();
        }
    };
    auto task = m_database.write(std::move(body), token);
    co_await std::move(task);
}

} // namespace tavlen
