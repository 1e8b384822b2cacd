#include "BenchWorkspace.h"
#include "MonitorDatabase.h"
#include "SQLiteMonitorCheckRepository.h"
#include "SqliteStatement.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace tavlen {
namespace {

using bench::BenchDirectory;
using bench::finish;
using bench::runBare;

constexpr int readingsPerCheck = 5;
constexpr int pageSize = 50;
constexpr std::int64_t storedChecks = 100'000;

const Uuid monitorID = *Uuid::parse("3f2504e0-4f89-41d3-9a0c-0305e82c3301");

const std::string insertMonitor = "INSERT INTO monitors (id, name, version, created_at_ms) VALUES ('" +
                                  monitorID.lowercaseString() + "', 'Prices', 1, 0)";

// 100,000 checks of the monitor, one second apart, each with one reading.
const std::string seedChecks =
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000) "
    "INSERT INTO monitor_checks (id, monitor_id, started_at_ms, completed_at_ms) "
    "SELECT lower(printf('%08x-0000-4000-8000-000000000000', i)), '" +
    monitorID.lowercaseString() +
    "', i * 1000, i * 1000 + 500 FROM n; "
    "INSERT INTO check_readings (check_id, position, field_id, field_name, value_type, number_value) "
    "SELECT id, 0, '9c5b2d61-0e4f-4b7a-8d3c-2a1f6e9b7c40', 'Price', 'number', started_at_ms / 1000.0 "
    "FROM monitor_checks";

std::vector<MonitorCheckRecord> makeRecords(std::int64_t count)
{
    std::vector<Uuid> fields;
    for (int i = 0; i < readingsPerCheck; ++i) {
        fields.push_back(Uuid::random());
    }
    std::vector<MonitorCheckRecord> records;
    for (std::int64_t n = 0; n < count; ++n) {
        MonitorCheckRecord record;
        record.check = MonitorCheck{Uuid::random(), monitorID, n * 1000, n * 1000 + 700, {}, readingsPerCheck, {}};
        for (int i = 0; i < readingsPerCheck; ++i) {
            record.readings.push_back(Reading{fields[static_cast<std::size_t>(i)],
                                              "Field " + std::to_string(i),
                                              i % 2 == 0 ? ReadingValue::ofNumber(n + i * 0.5)
                                                         : ReadingValue::ofText("In stock " + std::to_string(n))});
        }
        records.push_back(std::move(record));
    }
    return records;
}

// Each iteration records one finished check with five readings, one transaction each, as the check-result store
// does: the monitor is looked up, the id is looked up, the check and its readings are inserted.
void BM_RecordCheck(benchmark::State& state)
{
    BenchDirectory directory;
    MonitorDatabase database(directory.path() / "Tavlen.sqlite");
    finish(database.write([](SqliteConnection& c) { c.execute(insertMonitor); }));
    SQLiteMonitorCheckRepository repository(database);
    std::vector<MonitorCheckRecord> records = makeRecords(state.max_iterations);
    std::size_t next = 0;
    for (auto _ : state) {
        finish(repository.record(std::move(records[next++])));
    }
}

void BM_BareSqlRecordCheck(benchmark::State& state)
{
    BenchDirectory directory;
    sqlite3* db = bench::openBareWorkspace(directory.path() / "Tavlen.sqlite");
    bench::execute(db, insertMonitor);
    const std::vector<MonitorCheckRecord> records = makeRecords(state.max_iterations);
    std::size_t next = 0;
    for (auto _ : state) {
        const MonitorCheckRecord& record = records[next++];
        const std::string checkID = record.check.id.lowercaseString();
        bench::execute(db, "BEGIN IMMEDIATE");
        runBare(db, "SELECT m.* FROM monitors m WHERE m.id = ?", monitorID.lowercaseString());
        runBare(db,
                "SELECT r.*, CAST(error_code AS BLOB) AS code_bytes, CAST(error_message AS BLOB) AS message_bytes,\n"
                "    (SELECT count(*) FROM check_readings o WHERE o.check_id = r.id) AS reading_count\n"
                "FROM monitor_checks r WHERE r.id = ?",
                checkID);
        runBare(db,
                "INSERT INTO monitor_checks (id, monitor_id, started_at_ms, completed_at_ms, error_code, "
                "error_message, usage_json)\nVALUES (?, ?, ?, ?, NULL, NULL, NULL)",
                checkID,
                monitorID.lowercaseString(),
                record.check.startedAtMilliseconds,
                record.check.completedAtMilliseconds);
        sqlite3_stmt* insert = nullptr;
        bench::check(db,
                     sqlite3_prepare_v2(db,
                                        "INSERT INTO check_readings (check_id, position, field_id, field_name, "
                                        "value_type, number_value, text_value)\n"
                                        "VALUES (?, ?, ?, CAST(? AS TEXT), ?, ?, CAST(? AS TEXT))",
                                        -1,
                                        &insert,
                                        nullptr));
        for (std::size_t i = 0; i < record.readings.size(); ++i) {
            const Reading& reading = record.readings[i];
            const std::string fieldID = reading.id.lowercaseString();
            sqlite3_bind_text(insert, 1, checkID.data(), static_cast<int>(checkID.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int64(insert, 2, static_cast<std::int64_t>(i));
            sqlite3_bind_text(insert, 3, fieldID.data(), static_cast<int>(fieldID.size()), SQLITE_TRANSIENT);
            sqlite3_bind_blob(
                insert, 4, reading.fieldName.data(), static_cast<int>(reading.fieldName.size()), SQLITE_TRANSIENT);
            if (reading.value.isNumber()) {
                sqlite3_bind_text(insert, 5, "number", -1, SQLITE_STATIC);
                sqlite3_bind_double(insert, 6, reading.value.number());
                sqlite3_bind_null(insert, 7);
            } else {
                sqlite3_bind_text(insert, 5, "text", -1, SQLITE_STATIC);
                sqlite3_bind_null(insert, 6);
                sqlite3_bind_blob(insert,
                                  7,
                                  reading.value.text().data(),
                                  static_cast<int>(reading.value.text().size()),
                                  SQLITE_TRANSIENT);
            }
            bench::check(db, sqlite3_step(insert));
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        bench::execute(db, "COMMIT");
    }
    sqlite3_close(db);
}

// Pages through all of the monitor's checks, newest first, as the history model does: one page after the other
// in one task. Gives the number of checks seen.
QCoro::Task<std::int64_t> pageThroughHistory(MonitorCheckRepository& repository)
{
    std::int64_t seen = 0;
    std::optional<MonitorCheckCursor> cursor;
    for (;;) {
        auto request = repository.history(monitorID, cursor, pageSize);
        const std::vector<MonitorCheck> page = co_await std::move(request);
        if (page.empty()) {
            co_return seen;
        }
        seen += static_cast<std::int64_t>(page.size());
        cursor = MonitorCheckCursor{page.back().startedAtMilliseconds, page.back().id};
    }
}

// Each iteration pages through all 100,000 stored checks of the monitor, 50 at a time, newest first.
void BM_HistoryPaging(benchmark::State& state)
{
    BenchDirectory directory;
    MonitorDatabase database(directory.path() / "Tavlen.sqlite");
    finish(database.write([](SqliteConnection& c) {
        c.execute(insertMonitor);
        c.execute(seedChecks);
    }));
    SQLiteMonitorCheckRepository repository(database);
    for (auto _ : state) {
        if (finish(pageThroughHistory(repository)) != storedChecks) {
            state.SkipWithError("not every check was paged");
        }
    }
}

void BM_BareSqlHistoryPaging(benchmark::State& state)
{
    BenchDirectory directory;
    sqlite3* db = bench::openBareWorkspace(directory.path() / "Tavlen.sqlite");
    bench::execute(db, "BEGIN;" + insertMonitor + ";" + seedChecks + ";COMMIT");
    const std::string monitor = monitorID.lowercaseString();
    const std::string columns =
        "SELECT r.*, CAST(error_code AS BLOB) AS code_bytes, CAST(error_message AS BLOB) AS message_bytes,\n"
        "    (SELECT count(*) FROM check_readings o WHERE o.check_id = r.id) AS reading_count\n"
        "FROM monitor_checks r WHERE r.monitor_id = ?";
    const std::string first = columns + " ORDER BY r.started_at_ms DESC, r.id DESC LIMIT ?";
    const std::string next =
        columns + " AND (r.started_at_ms < ? OR (r.started_at_ms = ? AND r.id < ?)) AND r.started_at_ms <= ?" +
        " ORDER BY r.started_at_ms DESC, r.id DESC LIMIT ?";
    for (auto _ : state) {
        std::int64_t seen = 0;
        std::optional<std::pair<std::int64_t, std::string>> cursor;
        for (;;) {
            bench::execute(db, "BEGIN");
            runBare(db, "SELECT m.* FROM monitors m WHERE m.id = ?", monitor);
            sqlite3_stmt* statement = nullptr;
            bench::check(db, sqlite3_prepare_v2(db, cursor ? next.c_str() : first.c_str(), -1, &statement, nullptr));
            sqlite3_bind_text(statement, 1, monitor.data(), static_cast<int>(monitor.size()), SQLITE_TRANSIENT);
            if (cursor) {
                sqlite3_bind_int64(statement, 2, cursor->first);
                sqlite3_bind_int64(statement, 3, cursor->first);
                sqlite3_bind_text(
                    statement, 4, cursor->second.data(), static_cast<int>(cursor->second.size()), SQLITE_TRANSIENT);
                sqlite3_bind_int64(statement, 5, cursor->first);
            }
            sqlite3_bind_int64(statement, cursor ? 6 : 2, pageSize);
            std::int64_t rows = 0;
            while (sqlite3_step(statement) == SQLITE_ROW) {
                ++rows;
                cursor.emplace(sqlite3_column_int64(statement, 2),
                               reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
                // Every column the check decoder reads: monitor id, completion, usage, failure texts, count.
                benchmark::DoNotOptimize(sqlite3_column_text(statement, 1));
                benchmark::DoNotOptimize(sqlite3_column_int64(statement, 3));
                benchmark::DoNotOptimize(sqlite3_column_text(statement, 6));
                benchmark::DoNotOptimize(sqlite3_column_blob(statement, 7));
                benchmark::DoNotOptimize(sqlite3_column_blob(statement, 8));
                benchmark::DoNotOptimize(sqlite3_column_int64(statement, 9));
            }
            sqlite3_finalize(statement);
            bench::execute(db, "COMMIT");
            if (rows == 0) {
                break;
            }
            seen += rows;
        }
        if (seen != storedChecks) {
            state.SkipWithError("not every check was paged");
        }
    }
    sqlite3_close(db);
}

BENCHMARK(BM_RecordCheck)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime()->Iterations(10'000);
BENCHMARK(BM_BareSqlRecordCheck)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(10'000);
BENCHMARK(BM_HistoryPaging)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime()->Iterations(5);
BENCHMARK(BM_BareSqlHistoryPaging)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(5);

} // namespace
} // namespace tavlen
