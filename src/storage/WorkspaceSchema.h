#pragma once

#include <string>
#include <string_view>

namespace tavlen {

class SqliteConnection;

// The one migration of the workspace file.
inline constexpr std::string_view initialMigrationIdentifier = "v1_initial";

// The whole schema script: nine STRICT tables, the readings trigger, three indexes and the one app_settings row.
// defaultScheduleJson is the stored text of the default schedule rule, the default of monitors.schedule_json; it is
// placed between the two fixed pieces with nothing added.
std::string workspaceSchemaScript(std::string_view defaultScheduleJson);
// The script with the default rule's stored text (ScheduleRule::encodeStored).
std::string workspaceSchemaScript();

// Accepts a new (empty) file, a file whose migrations bookkeeping holds exactly "v1_initial", and a file holding
// nothing but an empty bookkeeping table; throws MonitorStoreError::unsupportedSchema for anything else. Reads
// only; run it inside a read access.
void verifyWorkspaceSchema(SqliteConnection& connection);

// Applies "v1_initial" unless it is recorded already. Runs its own write transaction.
void migrateWorkspace(SqliteConnection& connection);

} // namespace tavlen
