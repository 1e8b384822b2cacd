#pragma once

#include "Monitor.h"
#include "Uuid.h"

#include <optional>

namespace tavlen {

class SqliteConnection;
class SqliteStatement;

// The stored monitor with that id, or nothing when there is no row. Runs inside the caller's read access or write
// transaction. A row that does not decode fails as decodeMonitorRow says; statement failures pass unchanged.
std::optional<Monitor> fetchMonitor(SqliteConnection& connection, const Uuid& id);

// The stored monitor with that id, as fetchMonitor reads it; MonitorStoreError::missingMonitor when there is none.
Monitor requireMonitor(SqliteConnection& connection, const Uuid& id);

// MonitorStoreError::missingMonitor unless a monitor with that id is stored; reads nothing of the row, for an
// access that only needs the monitor to exist (a page of its checks, say).
void requireMonitorExists(SqliteConnection& connection, const Uuid& id);

// The Monitor of the current row of a statement over the monitors table (columns found by name). Throws
// MonitorStoreError: unsupportedSchema for a schedule_json of another format version, invalidStoredData for any
// other rule the row breaks (an id that is not a UUID, a name that is not stored trimmed or is blank, a version or
// schedule version below 1, a schedule_enabled other than 0 or 1, an invalid rule). Clock times come out ascending.
Monitor decodeMonitorRow(const SqliteStatement& row);

} // namespace tavlen
