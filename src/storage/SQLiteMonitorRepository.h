#pragma once

#include "MonitorRepository.h"

namespace tavlen {

class MonitorDatabase;
class SqliteConnection;
class TimeSource;

// The monitor repository over the monitors table and app_settings.monitor_order_json of the workspace file. The
// time's date dates new monitors and restarted schedules.
class SQLiteMonitorRepository final : public MonitorRepository
{
public:
    SQLiteMonitorRepository(MonitorDatabase& database, const TimeSource& time)
        : m_database(database)
        , m_time(time)
    {}

    QCoro::Task<std::vector<Monitor>> monitors(std::stop_token token = {}) override;
    QCoro::Task<std::unordered_map<Uuid, MonitorSidebarSummary>> sidebarSummaries(std::stop_token token = {}) override;
    QCoro::Task<Monitor> create(Uuid proposedID, std::string name, std::stop_token token = {}) override;
    QCoro::Task<SavedMonitorChanges>
    saveChanges(Uuid monitorID, MonitorChanges changes, std::stop_token token = {}) override;
    QCoro::Task<void> deleteMonitor(Uuid monitorID, std::stop_token token = {}) override;
    QCoro::Task<void> reorder(std::vector<Uuid> monitorIDs, std::stop_token token = {}) override;

private:
    MonitorDatabase& m_database;
    const TimeSource& m_time;
};

} // namespace tavlen
