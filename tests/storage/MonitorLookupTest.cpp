#include "MonitorLookup.h"

#include "MonitorStoreError.h"
#include "SqliteConnection.h"
#include "SqliteStatement.h"
#include "TemporaryDirectory.h"
#include "WorkspaceSchema.h"

#include <gtest/gtest.h>

namespace tavlen {
namespace {

constexpr const char* monitorId = "3f2504e0-4f89-41d3-9a0c-0305e82c3301";
constexpr const char* clockRuleJson = R"({"rule":{"at":{"_0":{"times":[900,60,600],"weekdays":[2,4]}}},"version":1})";

class MonitorLookupTest : public testing::Test
{
protected:
    // A row as the monitors table would give it; each field can be replaced by a literal SQL expression.
    struct Row
    {
        std::string id = std::string("'") + monitorId + "'";
        std::string name = "'Prices'";
        std::string version = "3";
        std::string scheduleVersion = "2";
        std::string scheduleJson = std::string("'") + clockRuleJson + "'";
        std::string scheduleEnabled = "1";
        std::string createdAt = "1700000000123";
    };

    // Decodes a row built from SQL literals, so rows the table's constraints would refuse can be tried too.
    Monitor decode(const Row& row)
    {
        SqliteStatement statement(m_connection,
                                  "SELECT " + row.id + " AS id, " + row.name + " AS name, " + row.version +
                                      " AS version, " + row.createdAt + " AS created_at_ms, " + row.scheduleEnabled +
                                      " AS schedule_enabled, " + row.scheduleVersion + " AS schedule_version, " +
                                      row.scheduleJson + " AS schedule_json");
        EXPECT_TRUE(statement.step());
        return decodeMonitorRow(statement);
    }

    test::TemporaryDirectory m_directory;
    SqliteConnection m_connection{m_directory / "Tavlen.sqlite", {.preparationStatements = {}}};
};

TEST_F(MonitorLookupTest, fetchFindsAStoredMonitorAndGivesNothingForAnUnknownId)
{
    migrateWorkspace(m_connection);
    SqliteStatement insert(m_connection,
                           "INSERT INTO monitors (id, name, version, created_at_ms, schedule_enabled, "
                           "schedule_version, schedule_json) VALUES (?, 'Prices', 3, 1700000000123, 1, 2, ?)");
    insert.bindAll(std::string(monitorId), std::string(clockRuleJson)).execute();

    const std::optional<Monitor> monitor = fetchMonitor(m_connection, *Uuid::parse(monitorId));
    ASSERT_TRUE(monitor.has_value());
    EXPECT_EQ(monitor->id.lowercaseString(), monitorId);
    EXPECT_EQ(monitor->name, "Prices");
    EXPECT_EQ(monitor->version, 3);
    EXPECT_EQ(monitor->schedule.version, 2);
    EXPECT_TRUE(monitor->schedule.preferences.scheduleEnabled);
    ASSERT_NE(monitor->schedule.preferences.rule.clock(), nullptr);
    EXPECT_EQ(monitor->schedule.preferences.rule.clock()->minutesOfDay, (std::vector<int>{60, 600, 900}));
    EXPECT_EQ(monitor->schedule.preferences.rule.clock()->weekdays, (WeekdaySet{2, 4}));
    EXPECT_EQ(monitor->createdAtMilliseconds, 1700000000123);

    EXPECT_EQ(fetchMonitor(m_connection, Uuid::random()), std::nullopt);
}

TEST_F(MonitorLookupTest, aDefaultRowDecodesWithTheDefaultSchedule)
{
    Row row;
    row.scheduleJson = "'" + MonitorSchedulePreferences::defaultValue().rule.encodeStored() + "'";
    row.scheduleEnabled = "0";
    row.id = "upper('" + std::string(monitorId) + "')";
    const Monitor monitor = decode(row);
    EXPECT_EQ(monitor.schedule.preferences, MonitorSchedulePreferences::defaultValue());
    EXPECT_EQ(monitor.id, *Uuid::parse(monitorId));
}

TEST_F(MonitorLookupTest, rowsThatBreakARuleAreRefused)
{
    struct Case
    {
        const char* name;
        std::string Row::*field;
        std::string value;
        MonitorStoreError::Kind expected;
    };

    using Kind = MonitorStoreError::Kind;
    const Case cases[] = {
        {"an id that is not a UUID", &Row::id, "'monitor-1'", Kind::invalidStoredData},
        {"an id stored as a number", &Row::id, "42", Kind::invalidStoredData},
        {"a name with a leading space", &Row::name, "' Prices'", Kind::invalidStoredData},
        {"a name with a trailing line break", &Row::name, "'Prices' || char(10)", Kind::invalidStoredData},
        {"a name of spaces only", &Row::name, "'   '", Kind::invalidStoredData},
        {"a NULL name", &Row::name, "NULL", Kind::invalidStoredData},
        {"version 0", &Row::version, "0", Kind::invalidStoredData},
        {"a version stored as text", &Row::version, "'3'", Kind::invalidStoredData},
        {"schedule version 0", &Row::scheduleVersion, "0", Kind::invalidStoredData},
        {"schedule_enabled 2", &Row::scheduleEnabled, "2", Kind::invalidStoredData},
        {"schedule_json that is not JSON", &Row::scheduleJson, "'{'", Kind::invalidStoredData},
        {"a rule without weekdays",
         &Row::scheduleJson,
         R"('{"rule":{"at":{"_0":{"times":[60],"weekdays":[]}}},"version":1}')",
         Kind::invalidStoredData},
        {"schedule_json of envelope version 2",
         &Row::scheduleJson,
         R"('{"rule":{"at":{"_0":{"times":[60],"weekdays":[1]}}},"version":2}')",
         Kind::unsupportedSchema},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Row row;
        row.*c.field = c.value;
        try {
            decode(row);
            ADD_FAILURE() << "the row was accepted";
        } catch (const MonitorStoreError& error) {
            EXPECT_EQ(error.kind(), c.expected);
        }
    }
    // The stored rule is read before the name is checked: another format wins over a bad name.
    Row row;
    row.name = "' bad'";
    row.scheduleJson = R"('{"rule":{"at":{"_0":{"times":[60],"weekdays":[1]}}},"version":2}')";
    try {
        decode(row);
        ADD_FAILURE() << "the row was accepted";
    } catch (const MonitorStoreError& error) {
        EXPECT_EQ(error.kind(), MonitorStoreError::Kind::unsupportedSchema);
    }
}

} // namespace
} // namespace tavlen
