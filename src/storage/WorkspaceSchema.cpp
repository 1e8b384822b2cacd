#include "WorkspaceSchema.h"

#include "MonitorSchedule.h"
#include "MonitorStoreError.h"
#include "SqliteConnection.h"
#include "SqliteMigrator.h"
#include "SqliteStatement.h"

#include <sqlite3.h>

#include <vector>

namespace tavlen {

namespace {

// The script up to and including the opening quote of the schedule_json default.
constexpr std::string_view schemaBeforeDefaultRule = R"sql(CREATE TABLE monitors (
    id TEXT NOT NULL PRIMARY KEY,
    name TEXT NOT NULL CHECK (length(trim(name)) > 0),
    version INTEGER NOT NULL CHECK (version > 0),
    created_at_ms INTEGER NOT NULL,
    schedule_enabled INTEGER NOT NULL DEFAULT 0 CHECK (schedule_enabled IN (0, 1)),
    schedule_version INTEGER NOT NULL DEFAULT 1 CHECK (schedule_version > 0),
    schedule_json TEXT NOT NULL DEFAULT ')sql";

// The script from the closing quote of the schedule_json default to its end.
constexpr std::string_view schemaAfterDefaultRule = R"sql(' CHECK (json_valid(schedule_json))
) STRICT;
CREATE INDEX monitors_created ON monitors(created_at_ms DESC, id DESC);
CREATE TABLE monitor_steps (
    monitor_id TEXT NOT NULL PRIMARY KEY REFERENCES monitors(id) ON DELETE CASCADE,
    version INTEGER NOT NULL CHECK (version > 0),
    format_version INTEGER NOT NULL CHECK (format_version > 0),
    workflow_json TEXT NOT NULL CHECK (
        CASE WHEN json_valid(workflow_json) THEN json_type(workflow_json) = 'object' ELSE 0 END
    )
) STRICT;
CREATE TABLE monitor_checks (
    id TEXT NOT NULL PRIMARY KEY,
    monitor_id TEXT NOT NULL REFERENCES monitors(id) ON DELETE CASCADE,
    started_at_ms INTEGER NOT NULL,
    completed_at_ms INTEGER NOT NULL CHECK (completed_at_ms >= started_at_ms),
    error_code TEXT,
    error_message TEXT,
    usage_json TEXT CHECK (usage_json IS NULL OR CASE WHEN json_valid(usage_json) THEN json_type(usage_json) = 'object' ELSE 0 END),
    CHECK ((error_code IS NULL AND error_message IS NULL) OR
           (error_code IS NOT NULL AND length(error_code) > 0 AND error_message IS NOT NULL))
) STRICT;
CREATE INDEX monitor_checks_history ON monitor_checks(monitor_id, started_at_ms DESC, id DESC);
CREATE TABLE check_readings (
    check_id TEXT NOT NULL REFERENCES monitor_checks(id) ON DELETE CASCADE,
    position INTEGER NOT NULL CHECK (position >= 0),
    field_id TEXT NOT NULL,
    field_name TEXT NOT NULL,
    value_type TEXT NOT NULL CHECK (value_type IN ('text', 'number')),
    number_value REAL,
    text_value TEXT,
    PRIMARY KEY (check_id, position),
    UNIQUE (check_id, field_id),
    CHECK ((value_type = 'text' AND text_value IS NOT NULL AND number_value IS NULL) OR
           (value_type = 'number' AND number_value IS NOT NULL AND text_value IS NULL))
) STRICT;
CREATE TRIGGER check_readings_require_success BEFORE INSERT ON check_readings
WHEN (SELECT error_code FROM monitor_checks WHERE id = NEW.check_id) IS NOT NULL
BEGIN SELECT RAISE(ABORT, 'Failed checks cannot contain readings'); END;
CREATE TABLE schedule_runtime (
    monitor_id TEXT NOT NULL PRIMARY KEY REFERENCES monitors(id) ON DELETE CASCADE,
    schedule_version INTEGER NOT NULL CHECK (schedule_version > 0),
    state_json TEXT NOT NULL CHECK (json_valid(state_json))
) STRICT;
CREATE TABLE scheduled_checks_queue (
    monitor_id TEXT NOT NULL PRIMARY KEY REFERENCES monitors(id) ON DELETE CASCADE,
    id TEXT NOT NULL UNIQUE,
    schedule_version INTEGER NOT NULL CHECK (schedule_version > 0),
    due_at_ms INTEGER NOT NULL
) STRICT;
CREATE INDEX scheduled_checks_order ON scheduled_checks_queue(due_at_ms, monitor_id);
CREATE TABLE configured_models (
    id TEXT NOT NULL PRIMARY KEY,
    provider TEXT NOT NULL CHECK (provider IN ('openAI', 'anthropic', 'gemini', 'ollama')),
    model_identifier TEXT NOT NULL CHECK (length(model_identifier) > 0),
    ollama_host TEXT NOT NULL DEFAULT '',
    CHECK ((provider != 'ollama' AND ollama_host = '') OR (provider = 'ollama' AND length(ollama_host) > 0)),
    UNIQUE (provider, model_identifier, ollama_host)
) STRICT;
CREATE TABLE app_settings (
    id INTEGER NOT NULL PRIMARY KEY CHECK (id = 1),
    default_model_id TEXT REFERENCES configured_models(id) ON DELETE RESTRICT,
    selected_browser_profile_id TEXT CHECK (selected_browser_profile_id IS NULL OR length(selected_browser_profile_id) > 0),
    monitor_order_json TEXT NOT NULL DEFAULT '[]' CHECK (
        CASE WHEN json_valid(monitor_order_json) THEN json_type(monitor_order_json) = 'array' ELSE 0 END
    )
) STRICT;
INSERT INTO app_settings (id) VALUES (1);
CREATE TABLE provider_credentials (
    provider TEXT NOT NULL PRIMARY KEY CHECK (provider IN ('openAI', 'anthropic', 'gemini')),
    api_key TEXT NOT NULL CHECK (length(api_key) > 0)
) STRICT;)sql";

std::vector<std::string> schemaObjectNames(SqliteConnection& connection)
{
    std::vector<std::string> names;
    // SQLite reserves the prefix "sqlite_" for its own objects. In LIKE an unescaped "_" matches any character, which
    // would also hide a foreign table such as "sqlite1" and let the file pass as new.
    SqliteStatement statement(connection,
                              "SELECT name FROM sqlite_schema WHERE name NOT LIKE 'sqlite\\_%' ESCAPE '\\'");
    while (statement.step()) {
        names.push_back(statement.columnText(0));
    }
    return names;
}

} // namespace

std::string workspaceSchemaScript(std::string_view defaultScheduleJson)
{
    std::string script;
    script.reserve(schemaBeforeDefaultRule.size() + defaultScheduleJson.size() + schemaAfterDefaultRule.size());
    script.append(schemaBeforeDefaultRule).append(defaultScheduleJson).append(schemaAfterDefaultRule);
    return script;
}

std::string workspaceSchemaScript()
{
    return workspaceSchemaScript(MonitorSchedulePreferences::defaultValue().rule.encodeStored());
}

void verifyWorkspaceSchema(SqliteConnection& connection)
{
    const std::vector<std::string> names = schemaObjectNames(connection);
    if (names.empty()) {
        return;
    }
    if (!SqliteMigrator::hasBookkeepingTable(connection)) {
        throw MonitorStoreError::unsupportedSchema();
    }
    std::vector<std::string> applied;
    try {
        applied = SqliteMigrator::appliedIdentifiers(connection);
    } catch (const SqliteError& error) {
        // A table of that name without a text column "identifier" was not made by this program's migrations.
        if (error.primaryCode() == SQLITE_ERROR || error.primaryCode() == SQLITE_MISMATCH) {
            throw MonitorStoreError::unsupportedSchema();
        }
        throw;
    }
    if (applied.size() == 1 && applied.front() == initialMigrationIdentifier) {
        return;
    }
    // An empty bookkeeping table is a file whose first migration never completed: fine only when nothing else
    // was created.
    if (applied.empty() && names.size() == 1) {
        return;
    }
    throw MonitorStoreError::unsupportedSchema();
}

void migrateWorkspace(SqliteConnection& connection)
{
    SqliteMigrator migrator;
    migrator.registerMigration(std::string(initialMigrationIdentifier),
                               [](SqliteConnection& c) { c.execute(workspaceSchemaScript()); });
    migrator.migrate(connection);
}

} // namespace tavlen
