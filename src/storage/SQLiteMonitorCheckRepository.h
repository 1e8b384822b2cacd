#pragma once

#include "MonitorCheckRepository.h"

namespace tavlen {

class MonitorDatabase;
class SqliteConnection;

// The check repository over the monitor_checks and check_readings tables of the workspace file. Failure texts,
// field names and text readings are stored and read back byte for byte.
class SQLiteMonitorCheckRepository final : public MonitorCheckRepository
{
public:
    explicit SQLiteMonitorCheckRepository(MonitorDatabase& database)
        : m_database(database)
    {}

    QCoro::Task<void> record(MonitorCheckRecord record, std::stop_token token = {}) override;
    QCoro::Task<std::vector<MonitorCheck>> history(Uuid monitorID,
                                                   std::optional<MonitorCheckCursor> cursor,
                                                   int pageSize,
                                                   std::stop_token token = {}) override;
    QCoro::Task<std::vector<Reading>> checkRecord(Uuid checkID, std::stop_token token = {}) override;
    QCoro::Task<void> deleteCheck(Uuid monitorID, Uuid checkID, std::stop_token token = {}) override;

    // The bodies, for use inside a database access the caller holds (record and delete need a write transaction).
    static void recordBody(SqliteConnection& connection, const MonitorCheckRecord& record);
    static std::vector<MonitorCheck> historyBody(SqliteConnection& connection,
                                                 const Uuid& monitorID,
                                                 const std::optional<MonitorCheckCursor>& cursor,
                                                 int pageSize);
    static std::vector<Reading> checkRecordBody(SqliteConnection& connection, const Uuid& checkID);
    static void deleteCheckBody(SqliteConnection& connection, const Uuid& monitorID, const Uuid& checkID);

private:
    MonitorDatabase& m_database;
};

} // namespace tavlen
