#include "WorkspaceSchema.h"

#include "MonitorSchedule.h"
#include "MonitorStoreError.h"
#include "SqliteConnection.h"
#include "SqliteMigrator.h"
#include "SqliteStatement.h"
#include "SqliteTransaction.h"
#include "TemporaryDirectory.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <set>

namespace tavlen {
namespace {

class WorkspaceSchemaTest : public testing::Test
{
protected:
    std::int64_t count(const std::string& sql)
    {
        SqliteStatement statement(m_connection, sql);
        statement.step();
        return statement.columnInt64(0);
    }

    // The primary SQLite code the statements fail with, SQLITE_OK when they succeed.
    int failureOf(const std::string& sql, std::string* message = nullptr)
    {
        try {
            m_connection.execute(sql);
        } catch (const SqliteError& error) {
            if (message != nullptr) {
                *message = error.what();
            }
            return error.primaryCode();
        }
        return SQLITE_OK;
    }

    bool verifies()
    {
        try {
            inSqliteTransaction(m_connection, SqliteTransaction::Kind::readOnly, verifyWorkspaceSchema);
            return true;
        } catch (const MonitorStoreError& error) {
            EXPECT_EQ(error.kind(), MonitorStoreError::Kind::unsupportedSchema);
            return false;
        }
    }

    test::TemporaryDirectory m_directory;
    SqliteConnection m_connection{m_directory / "Tavlen.sqlite", {.preparationStatements = {}}};
};

constexpr const char* monitorRow =
    "INSERT INTO monitors (id, name, version, created_at_ms) VALUES ('m1', 'Prices', 1, 1000);";

TEST_F(WorkspaceSchemaTest, theScriptPlacesTheDefaultRuleBetweenItsTwoPieces)
{
    const std::string script = workspaceSchemaScript("{\"x\":1}");
    EXPECT_NE(script.find("schedule_json TEXT NOT NULL DEFAULT '{\"x\":1}' CHECK (json_valid(schedule_json))"),
              std::string::npos);
    EXPECT_EQ(script.rfind(';'), script.size() - 1);
    EXPECT_EQ(workspaceSchemaScript(),
              workspaceSchemaScript(MonitorSchedulePreferences::defaultValue().rule.encodeStored()));
}

TEST_F(WorkspaceSchemaTest, aNewFileReceivesTheWholeSchemaAndTheSettingsRow)
{
    migrateWorkspace(m_connection);
    std::set<std::string> names;
    SqliteStatement objects(m_connection,
                            "SELECT type || ' ' || name FROM sqlite_schema WHERE name NOT LIKE 'sqlite_%'");
    while (objects.step()) {
        names.insert(objects.columnText(0));
    }
    const std::set<std::string> expected = {
        "table monitors",
        "table monitor_steps",
        "table monitor_checks",
        "table check_readings",
        "table schedule_runtime",
        "table scheduled_checks_queue",
        "table configured_models",
        "table app_settings",
        "table provider_credentials",
        "table schema_migrations",
        "trigger check_readings_require_success",
        "index monitors_created",
        "index monitor_checks_history",
        "index scheduled_checks_order",
    };
    EXPECT_EQ(names, expected);
    EXPECT_EQ(count("SELECT count(*) FROM pragma_table_list WHERE schema = 'main' AND name NOT LIKE 'sqlite_%' "
                    "AND strict = 0"),
              0);
    SqliteStatement settings(m_connection, "SELECT * FROM app_settings");
    ASSERT_TRUE(settings.step());
    EXPECT_EQ(settings.columnInt64(settings.columnIndex("id")), 1);
    EXPECT_TRUE(settings.isNull(settings.columnIndex("default_model_id")));
    EXPECT_TRUE(settings.isNull(settings.columnIndex("selected_browser_profile_id")));
    EXPECT_EQ(settings.columnText(settings.columnIndex("monitor_order_json")), "[]");
    EXPECT_FALSE(settings.step());
    EXPECT_EQ(SqliteMigrator::appliedIdentifiers(m_connection), std::vector<std::string>{"v1_initial"});

    m_connection.execute(monitorRow);
    SqliteStatement monitor(m_connection, "SELECT schedule_json, schedule_enabled, schedule_version FROM monitors");
    ASSERT_TRUE(monitor.step());
    EXPECT_EQ(monitor.columnText(0), MonitorSchedulePreferences::defaultValue().rule.encodeStored());
    EXPECT_EQ(monitor.columnInt64(1), 0);
    EXPECT_EQ(monitor.columnInt64(2), 1);
}

TEST_F(WorkspaceSchemaTest, rowsThatBreakARuleCannotBeStored)
{
    migrateWorkspace(m_connection);
    m_connection.execute(std::string(monitorRow) +
                         "INSERT INTO monitor_checks (id, monitor_id, started_at_ms, completed_at_ms) "
                         "VALUES ('ok', 'm1', 1, 2);"
                         "INSERT INTO monitor_checks (id, monitor_id, started_at_ms, completed_at_ms, error_code, "
                         "error_message) VALUES ('failed', 'm1', 1, 2, 'timeout', '');"
                         "INSERT INTO configured_models (id, provider, model_identifier) VALUES ('c1', 'openAI', 'x');"
                         "UPDATE app_settings SET default_model_id = 'c1';");

    struct Case
    {
        const char* name;
        const char* sql;
    };

    const Case cases[] = {
        {"a second settings row", "INSERT INTO app_settings (id) VALUES (2)"},
        {"a settings row with another id", "UPDATE app_settings SET id = 3"},
        {"an empty browser profile id", "UPDATE app_settings SET selected_browser_profile_id = ''"},
        {"an order list that is not an array", "UPDATE app_settings SET monitor_order_json = '{}'"},
        {"deleting the default model", "DELETE FROM configured_models WHERE id = 'c1'"},
        {"a blank monitor name", "INSERT INTO monitors (id, name, version, created_at_ms) VALUES ('m2', '  ', 1, 1)"},
        {"a monitor version of 0", "INSERT INTO monitors (id, name, version, created_at_ms) VALUES ('m2', 'a', 0, 1)"},
        {"schedule_enabled 2", "UPDATE monitors SET schedule_enabled = 2"},
        {"schedule_json that is not JSON", "UPDATE monitors SET schedule_json = '{'"},
        {"a version stored as text", "UPDATE monitors SET version = 'one'"},
        {"a number reading with a text value",
         "INSERT INTO check_readings VALUES ('ok', 0, 'f', 'F', 'number', 1.0, 'x')"},
        {"a text reading without its text",
         "INSERT INTO check_readings VALUES ('ok', 0, 'f', 'F', 'text', NULL, NULL)"},
        {"a reading of a failed check", "INSERT INTO check_readings VALUES ('failed', 0, 'f', 'F', 'text', NULL, 'x')"},
        {"a check ending before it started",
         "INSERT INTO monitor_checks (id, monitor_id, started_at_ms, completed_at_ms) VALUES ('c', 'm1', 5, 4)"},
        {"a check with a code but no message",
         "INSERT INTO monitor_checks (id, monitor_id, started_at_ms, completed_at_ms, error_code) "
         "VALUES ('c', 'm1', 1, 2, 'x')"},
        {"steps of a missing monitor", "INSERT INTO monitor_steps VALUES ('nobody', 1, 1, '{}')"},
        {"a workflow that is not an object", "INSERT INTO monitor_steps VALUES ('m1', 1, 1, '[]')"},
        {"an ollama model without a host",
         "INSERT INTO configured_models (id, provider, model_identifier) VALUES ('c2', 'ollama', 'x')"},
        {"a credential of an unknown provider", "INSERT INTO provider_credentials VALUES ('ollama', 'k')"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(failureOf(row.sql), SQLITE_CONSTRAINT);
    }
    std::string message;
    EXPECT_EQ(failureOf("INSERT INTO check_readings VALUES ('failed', 0, 'f', 'F', 'text', NULL, 'x')", &message),
              SQLITE_CONSTRAINT);
    EXPECT_EQ(message, "Failed checks cannot contain readings");
    EXPECT_EQ(failureOf("INSERT INTO check_readings VALUES ('ok', 0, 'f', 'F', 'text', NULL, 'x')"), SQLITE_OK);
}

TEST_F(WorkspaceSchemaTest, deletingAMonitorRemovesEveryRowOfItButTheOrderText)
{
    migrateWorkspace(m_connection);
    m_connection.execute(std::string(monitorRow) +
                         "INSERT INTO monitor_steps VALUES ('m1', 1, 1, '{}');"
                         "INSERT INTO monitor_checks (id, monitor_id, started_at_ms, completed_at_ms) "
                         "VALUES ('k1', 'm1', 1, 2);"
                         "INSERT INTO check_readings VALUES ('k1', 0, 'f', 'F', 'number', 2.5, NULL);"
                         "INSERT INTO schedule_runtime VALUES ('m1', 1, '{}');"
                         "INSERT INTO scheduled_checks_queue VALUES ('m1', 'q1', 1, 10);"
                         "UPDATE app_settings SET monitor_order_json = '[\"m1\"]';"
                         "DELETE FROM monitors WHERE id = 'm1';");
    for (const char* table :
         {"monitor_steps", "monitor_checks", "check_readings", "schedule_runtime", "scheduled_checks_queue"}) {
        SCOPED_TRACE(table);
        EXPECT_EQ(count(std::string("SELECT count(*) FROM ") + table), 0);
    }
    EXPECT_EQ(count("SELECT count(*) FROM app_settings WHERE monitor_order_json = '[\"m1\"]'"), 1);
}

TEST_F(WorkspaceSchemaTest, verificationAcceptsOnlyFilesThisVersionMade)
{
    struct Case
    {
        const char* name;
        const char* setup;
        bool accepted;
    };

    const Case cases[] = {
        {"a new file", "", true},
        {"only an empty bookkeeping table",
         "CREATE TABLE schema_migrations (identifier TEXT NOT NULL PRIMARY KEY)",
         true},
        {"only the initial migration recorded",
         "CREATE TABLE schema_migrations (identifier TEXT NOT NULL PRIMARY KEY);"
         "INSERT INTO schema_migrations VALUES ('v1_initial'); CREATE TABLE monitors (id TEXT)",
         true},
        {"a foreign table", "CREATE TABLE notes (body TEXT)", false},
        {"a foreign view", "CREATE VIEW numbers AS SELECT 1", false},
        {"a foreign table named almost like SQLite's own", "CREATE TABLE sqlite1 (v INTEGER)", false},
        {"an empty bookkeeping table beside another table",
         "CREATE TABLE schema_migrations (identifier TEXT NOT NULL PRIMARY KEY); CREATE TABLE monitors (id TEXT)",
         false},
        {"the initial migration beside another",
         "CREATE TABLE schema_migrations (identifier TEXT NOT NULL PRIMARY KEY);"
         "INSERT INTO schema_migrations VALUES ('v1_initial'); INSERT INTO schema_migrations VALUES ('v2_more')",
         false},
        {"a bookkeeping table of another shape", "CREATE TABLE schema_migrations (version INTEGER)", false},
        {"identifiers that are not text",
         "CREATE TABLE schema_migrations (identifier); INSERT INTO schema_migrations VALUES (1)",
         false},
        {"a foreign index and trigger beside an empty bookkeeping table",
         "CREATE TABLE schema_migrations (identifier TEXT NOT NULL PRIMARY KEY);"
         "CREATE INDEX extra ON schema_migrations(identifier);"
         "CREATE TRIGGER never AFTER DELETE ON schema_migrations BEGIN SELECT 1; END",
         false},
        {"another migration only",
         "CREATE TABLE schema_migrations (identifier TEXT NOT NULL PRIMARY KEY);"
         "INSERT INTO schema_migrations VALUES ('v2_more')",
         false},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        test::TemporaryDirectory directory;
        SqliteConnection connection(directory / "case.sqlite");
        connection.execute(row.setup);
        bool accepted = true;
        try {
            inSqliteTransaction(connection, SqliteTransaction::Kind::readOnly, verifyWorkspaceSchema);
        } catch (const MonitorStoreError& error) {
            EXPECT_EQ(error.kind(), MonitorStoreError::Kind::unsupportedSchema);
            accepted = false;
        }
        EXPECT_EQ(accepted, row.accepted);
    }
}

TEST_F(WorkspaceSchemaTest, migratingTwiceChangesNothing)
{
    migrateWorkspace(m_connection);
    EXPECT_TRUE(verifies());
    const std::int64_t rowsChangedBefore = count("SELECT total_changes()");
    migrateWorkspace(m_connection);
    EXPECT_EQ(count("SELECT total_changes()"), rowsChangedBefore);
    EXPECT_EQ(count("SELECT count(*) FROM app_settings"), 1);
}

} // namespace
} // namespace tavlen
