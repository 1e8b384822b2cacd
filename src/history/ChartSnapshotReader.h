#pragma once

#include "ChartRange.h"
#include "ChartSnapshot.h"
#include "Uuid.h"

#include <QCoroTask>

#include <stop_token>

namespace tavlen {

class MonitorDatabase;
class SqliteConnection;

// Reads what the charts of one monitor need for one range, in one read access of the workspace file.
class ChartSnapshotReader
{
public:
    explicit ChartSnapshotReader(MonitorDatabase& database)
        : m_database(database)
    {}

    // The snapshot of the monitor for the range, whose start (when present) lies before its end. Fails with a
    // MonitorStoreError: missingMonitor, invalidStoredData for a stored value that breaks a rule (no partial
    // snapshot), unsupportedStepsFormat, interrupted when stopped.
    QCoro::Task<ChartSnapshot> chartSnapshot(Uuid monitorID, ChartRange range, std::stop_token token = {});

    // The same, inside a read access the caller holds. A stop request before the first statement or after the last
    // row throws CancelledError; errors are not mapped.
    static ChartSnapshot
    read(SqliteConnection& connection, const Uuid& monitorID, const ChartRange& range, const std::stop_token& token);

private:
    MonitorDatabase& m_database;
};

} // namespace tavlen
