#include "MonitorLookup.h"

#include "MonitorStoreError.h"
#include "SqliteConnection.h"
#include "SqliteStatement.h"
#include "Utf8.h"

#include <algorithm>

namespace tavlen {

std::optional<Monitor> fetchMonitor(SqliteConnection& connection, const Uuid& id)
{
    SqliteStatement statement(connection, "SELECT m.* FROM monitors m WHERE m.id = ?");
    statement.bind(1, id.lowercaseString());
    if (!statement.step()) {
        return std::nullopt;
    }
    return decodeMonitorRow(statement);
}

Monitor requireMonitor(SqliteConnection& connection, const Uuid& id)
{
    std::optional<Monitor> monitor = fetchMonitor(connection, id);
    if (!monitor) {
        throw MonitorStoreError::missingMonitor();
    }
    return std::move(*monitor);
}

void requireMonitorExists(SqliteConnection& connection, const Uuid& id)
{
    SqliteStatement statement(connection, "SELECT 1 FROM monitors WHERE id = ?");
    statement.bind(1, id.lowercaseString());
    if (!statement.step()) {
        throw MonitorStoreError::missingMonitor();
    }
}

Monitor decodeMonitorRow(const SqliteStatement& row)
{
    try {
        const std::optional<Uuid> id = Uuid::parse(row.columnText(row.columnIndex("id")));
        if (!id) {
            throw MonitorStoreError::invalidStoredData();
        }
        std::string name = row.columnText(row.columnIndex("name"));
        const std::int64_t version = row.columnInt64(row.columnIndex("version"));
        const std::int64_t scheduleVersion = row.columnInt64(row.columnIndex("schedule_version"));
        const std::string scheduleJson = row.columnText(row.columnIndex("schedule_json"));
        const std::int64_t scheduleEnabled = row.columnInt64(row.columnIndex("schedule_enabled"));
        const std::int64_t createdAt = row.columnInt64(row.columnIndex("created_at_ms"));

        ScheduleRule rule = ScheduleRule::decodeStored(scheduleJson);

        if (!utf8Equal(normalizedMonitorName(name), name) || version <= 0 || scheduleVersion <= 0 ||
            (scheduleEnabled != 0 && scheduleEnabled != 1)) {
            throw MonitorStoreError::invalidStoredData();
        }
        if (auto* clock = std::get_if<ClockSchedule>(&rule.schedule)) {
            std::sort(clock->minutesOfDay.begin(), clock->minutesOfDay.end());
        }

        Monitor monitor;
        monitor.id = *id;
        monitor.name = std::move(name);
        monitor.version = version;
        monitor.schedule.version = scheduleVersion;
        monitor.schedule.preferences.rule = std::move(rule);
        monitor.schedule.preferences.scheduleEnabled = scheduleEnabled == 1;
        monitor.createdAtMilliseconds = createdAt;
        return monitor;
    } catch (const MonitorStoreError& error) {
        if (error.kind() == MonitorStoreError::Kind::unsupportedSchema) {
            throw;
        }
        throw MonitorStoreError::invalidStoredData();
    } catch (...) {
        // A column missing or of another type, or anything else the row cannot be read with.
        throw MonitorStoreError::invalidStoredData();
    }
}

} // namespace tavlen
