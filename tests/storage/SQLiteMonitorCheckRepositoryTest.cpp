#include "SQLiteMonitorCheckRepository.h"

#include "ModelRequestEvent.h"
#include "MonitorCheckError.h"
#include "SQLiteMonitorRepository.h"
#include "Utf8.h"
#include "WorkspaceFixture.h"

#include <gtest/gtest.h>

namespace tavlen {
namespace {

const ModelSelection gpt{ModelSelection::Provider::openAI, "gpt-4o", std::nullopt};

class SQLiteMonitorCheckRepositoryTest : public test::WorkspaceFixture
{
protected:
    // A succeeded check of the monitor with the given readings.
    MonitorCheckRecord succeeded(std::int64_t startedAt, std::vector<Reading> readings, Uuid id = Uuid::random())
    {
        const auto count = static_cast<std::int64_t>(readings.size());
        return {MonitorCheck{id, m_monitor, startedAt, startedAt + 10, std::nullopt, count, std::nullopt},
                std::move(readings)};
    }

    MonitorCheckRecord failed(std::int64_t startedAt, std::string code, std::string message)
    {
        MonitorCheckRecord record = succeeded(startedAt, {});
        record.check.failure.emplace(code, message);
        return record;
    }

    void record(const MonitorCheckRecord& record) { finish(m_repository.record(record)); }

    std::vector<MonitorCheck> page(std::optional<MonitorCheckCursor> cursor, int size)
    {
        return finish(m_repository.history(m_monitor, cursor, size));
    }

    SQLiteMonitorCheckRepository m_repository{m_database};
    Uuid m_monitor = insertMonitor();
};

Reading number(std::string name, double value)
{
    return Reading{Uuid::random(), std::move(name), ReadingValue::ofNumber(value)};
}

Reading text(std::string name, std::string value)
{
    return Reading{Uuid::random(), std::move(name), ReadingValue::ofText(std::move(value))};
}

TEST_F(SQLiteMonitorCheckRepositoryTest, aRecordIsStoredOnceAndReadBackByteForByte)
{
    using namespace std::string_literals;
    MonitorCheckRecord first = succeeded(100,
                                         {number("Pri\xCC\x81s", 12.5),
                                          text("Caf\xC3\xA9", "Cafe\xCC\x81"),
                                          text("\xE4\xBE\xA1\xE6\xA0\xBC", "a\0b"s),
                                          text("Empty", "")});
    first.check.usage.emplace();
    first.check.usage->appendEntry(Uuid::random(), 2, gpt);
    first.check.usage->recordRequest(ModelRequestEvent::sent(), 0);
    record(first);
    record(first);
    EXPECT_EQ(count("monitor_checks"), 1);
    EXPECT_EQ(count("check_readings"), 4);

    const std::vector<Reading> readings = finish(m_repository.checkRecord(first.check.id));
    ASSERT_EQ(readings.size(), 4u);
    for (std::size_t i = 0; i < readings.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(readings[i].id, first.readings[i].id);
        EXPECT_TRUE(utf8Equal(readings[i].fieldName, first.readings[i].fieldName));
        EXPECT_EQ(readings[i].value, first.readings[i].value);
    }
    EXPECT_EQ(page(std::nullopt, 50), std::vector<MonitorCheck>{first.check});

    // Another record under a stored id, even one differing only in the composition of a text, is refused.
    MonitorCheckRecord composed = first;
    composed.readings[1].value = ReadingValue::ofText("Caf\xC3\xA9");
    EXPECT_EQ(storeErrorOf(m_repository.record(composed)), MonitorStoreError::invalidStoredData());
    EXPECT_EQ(finish(m_repository.checkRecord(first.check.id))[1].value, first.readings[1].value);
}

TEST_F(SQLiteMonitorCheckRepositoryTest, storedColumnsHoldNullForWhatIsAbsent)
{
    const MonitorCheckRecord plain = succeeded(100, {});
    const MonitorCheckRecord cancelled = failed(200, "cancelled", "Execution cancelled.");
    record(plain);
    record(cancelled);
    EXPECT_EQ(queryText("SELECT quote(error_code) || quote(error_message) || quote(usage_json) FROM monitor_checks "
                        "WHERE started_at_ms = 100"),
              "NULLNULLNULL");
    EXPECT_EQ(queryText("SELECT typeof(error_code) || error_code FROM monitor_checks WHERE started_at_ms = 200"),
              "textcancelled");
    EXPECT_EQ(finish(m_repository.checkRecord(cancelled.check.id)), std::vector<Reading>{});
    EXPECT_EQ(page(std::nullopt, 1).front().outcome(), MonitorCheckOutcome::cancelled);
}

// The readings of a check must survive whatever its model readers reported: the usage folded from events that
// would break the usage rules if counted literally is still valid, so the record is kept whole.
TEST_F(SQLiteMonitorCheckRepositoryTest, readingsAreNeverLostToTheUsageCountersOfTheirCheck)
{
    MonitorCheckRecord checked = succeeded(100, {number("Price", 9.99)});
    MonitorCheckUsage& usage = checked.check.usage.emplace();
    const std::size_t step = usage.appendEntry(Uuid::random(), 2, gpt);
    ModelUsage cachedOnly;
    cachedOnly.cachedTokens = 1200;                                  // no input or output tokens reported
    usage.recordRequest(ModelRequestEvent::usage(cachedOnly), step); // never announced as sent
    usage.recordRequest(ModelRequestEvent::unbilled(), step);
    checked.validate();
    record(checked);

    const std::vector<MonitorCheck> stored = page(std::nullopt, 10);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored.front(), checked.check);
    EXPECT_EQ(stored.front().usage->steps.front().usage.unreportedRequests, 0);
    EXPECT_EQ(finish(m_repository.checkRecord(checked.check.id)), checked.readings);
}

TEST_F(SQLiteMonitorCheckRepositoryTest, pagesRunNewestFirstAcrossEqualStartTimes)
{
    std::vector<MonitorCheckRecord> records;
    for (const char* id : {"00000000-0000-4000-8000-00000000000a",
                           "00000000-0000-4000-8000-00000000000c",
                           "00000000-0000-4000-8000-00000000000b"}) {
        records.push_back(succeeded(500, {}, *Uuid::parse(id)));
    }
    records.push_back(succeeded(900, {}));
    records.push_back(succeeded(100, {}));
    for (const auto& r : records) {
        record(r);
    }
    const Uuid other = insertMonitor("Other");
    MonitorCheckRecord foreign = succeeded(700, {});
    foreign.check.monitorID = other;
    record(foreign);

    std::vector<Uuid> seen;
    std::optional<MonitorCheckCursor> cursor;
    for (std::vector<MonitorCheck> checks = page(cursor, 2); !checks.empty(); checks = page(cursor, 2)) {
        EXPECT_LE(checks.size(), 2u);
        for (const MonitorCheck& check : checks) {
            seen.push_back(check.id);
        }
        cursor = MonitorCheckCursor{checks.back().startedAtMilliseconds, checks.back().id};
    }
    EXPECT_EQ(
        seen,
        (std::vector<Uuid>{
            records[3].check.id, records[1].check.id, records[2].check.id, records[0].check.id, records[4].check.id}));

    EXPECT_EQ(page(std::nullopt, 0).size(), 1u);
    execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 250) "
            "INSERT INTO monitor_checks (id, monitor_id, started_at_ms, completed_at_ms) "
            "SELECT printf('00000000-0000-4000-8000-%012d', i), '" +
            m_monitor.lowercaseString() + "', 1000 + i, 1000 + i FROM n");
    EXPECT_EQ(page(std::nullopt, 500).size(), 200u);
    EXPECT_EQ(storeErrorOf(m_repository.history(Uuid::random(), std::nullopt, 10)),
              MonitorStoreError::missingMonitor());
}

TEST_F(SQLiteMonitorCheckRepositoryTest, aFailedRecordLeavesNothingAndAGoneMonitorOrCheckIsReported)
{
    // The schema refuses a second reading of the same field; the check and its first reading go with it.
    MonitorCheckRecord broken = succeeded(100, {number("A", 1), number("B", 2)});
    broken.readings[1].id = broken.readings[0].id;
    EXPECT_EQ(storeErrorOf(m_repository.record(broken)), MonitorStoreError::storage());
    EXPECT_EQ(count("monitor_checks"), 0);
    EXPECT_EQ(count("check_readings"), 0);

    MonitorCheckRecord orphan = succeeded(100, {});
    orphan.check.monitorID = Uuid::random();
    EXPECT_EQ(storeErrorOf(m_repository.record(orphan)), MonitorStoreError::missingMonitor());

    const Uuid gone = Uuid::random();
    try {
        finish(m_repository.checkRecord(gone));
        ADD_FAILURE() << "a check that is not stored was found";
    } catch (const MonitorCheckError& error) {
        EXPECT_EQ(error.errorDescription(), "This check no longer exists.");
    }
}

TEST_F(SQLiteMonitorCheckRepositoryTest, deletingRemovesTheCheckWithItsReadingsOnlyForItsMonitor)
{
    const MonitorCheckRecord kept = succeeded(100, {number("A", 1)});
    const MonitorCheckRecord deleted = succeeded(200, {number("A", 2), text("B", "x")});
    record(kept);
    record(deleted);
    finish(m_repository.deleteCheck(insertMonitor("Other"), deleted.check.id));
    EXPECT_EQ(count("monitor_checks"), 2);

    finish(m_repository.deleteCheck(m_monitor, deleted.check.id));
    finish(m_repository.deleteCheck(m_monitor, deleted.check.id));
    EXPECT_EQ(count("monitor_checks"), 1);
    EXPECT_EQ(count("check_readings"), 1);
    EXPECT_EQ(storeErrorOf(m_repository.deleteCheck(Uuid::random(), kept.check.id)),
              MonitorStoreError::missingMonitor());

    SQLiteMonitorRepository monitors(m_database, m_clock);
    finish(monitors.deleteMonitor(m_monitor));
    EXPECT_EQ(count("monitor_checks"), 0);
    EXPECT_EQ(count("check_readings"), 0);
}

TEST_F(SQLiteMonitorCheckRepositoryTest, storedRowsThatBreakTheRulesAreRefusedWhenRead)
{
    struct Row
    {
        const char* name;
        std::string damage; // run against the one stored check, whose readings are at positions 0 and 1
        bool failsHistory;  // the check row itself is refused, not only its readings
    };

    const Row rows[] = {
        {"a position that skips a number", "UPDATE check_readings SET position = 2 WHERE position = 1", false},
        {"a field id that is not a UUID", "UPDATE check_readings SET field_id = 'f' WHERE position = 1", false},
        {"a text that is not UTF-8",
         "UPDATE check_readings SET text_value = CAST(x'C328' AS TEXT) WHERE position = 1",
         false},
        {"a text of 65537 bytes",
         "UPDATE check_readings SET text_value = printf('%.*c', 65537, 'x') WHERE position = 1",
         false},
        {"a number stored as NULL",
         "DELETE FROM check_readings WHERE position = 0; INSERT INTO check_readings SELECT id, 0, "
         "'00000000-0000-4000-8000-000000000001', 'N', 'number', NULL, NULL FROM monitor_checks",
         false},
        {"a blank field name", "UPDATE check_readings SET field_name = ' ' WHERE position = 1", false},
        {"a code without a message",
         "DELETE FROM check_readings; UPDATE monitor_checks SET error_code = 'x', error_message = NULL",
         true},
        {"a usage that does not decode", "UPDATE monitor_checks SET usage_json = '{\"version\":9}'", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        execute("DELETE FROM monitor_checks");
        const MonitorCheckRecord stored = succeeded(100, {number("A", 1), text("B", "y")});
        record(stored);
        // CHECK constraints are what keep such rows out in the first place; the damage bypasses them.
        execute("PRAGMA ignore_check_constraints = ON");
        execute(row.damage);
        if (row.failsHistory) {
            EXPECT_EQ(storeErrorOf(m_repository.history(m_monitor, std::nullopt, 10)),
                      MonitorStoreError::invalidStoredData());
        } else {
            EXPECT_EQ(page(std::nullopt, 10).size(), 1u);
        }
        EXPECT_EQ(storeErrorOf(m_repository.checkRecord(stored.check.id)), MonitorStoreError::invalidStoredData());
    }
}

TEST_F(SQLiteMonitorCheckRepositoryTest, overlongStoredFailureTextsReadBackCutAtACharacter)
{
    const MonitorCheckRecord stored = failed(100, "x", "y");
    record(stored);
    execute("UPDATE monitor_checks SET error_code = printf('%.*c', 79, 'c') || char(233) || 'zz', "
            "error_message = printf('%.*c', 4094, 'm') || char(8364) || 'tail'");
    const MonitorCheck check = page(std::nullopt, 1).front();
    EXPECT_EQ(check.failure->code(), std::string(79, 'c'));
    EXPECT_EQ(check.failure->message(), std::string(4094, 'm'));
}

} // namespace
} // namespace tavlen
