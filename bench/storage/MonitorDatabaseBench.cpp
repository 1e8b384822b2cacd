#include "BenchWorkspace.h"
#include "MonitorDatabase.h"
#include "SqliteStatement.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <string>

namespace tavlen {
namespace {

using bench::BenchDirectory;
using bench::check;
using bench::execute;
using bench::finish;

constexpr const char* monitorId = "3f2504e0-4f89-41d3-9a0c-0305e82c3301";
constexpr const char* updateMonitor = "UPDATE monitors SET name = ?, version = version + 1 WHERE id = ?";
constexpr const char* insertCheck =
    "INSERT INTO monitor_checks (id, monitor_id, started_at_ms, completed_at_ms) VALUES (?, ?, ?, ?)";

void seedMonitor(SqliteConnection& connection)
{
    connection.prepare("INSERT INTO monitors (id, name, version, created_at_ms) VALUES (?, 'Prices', 1, 0)")
        .bind(1, monitorId)
        .execute();
}

// One monitor row updated and five check rows inserted, in one write of the workspace database.
void BM_MonitorDatabaseWrite(benchmark::State& state)
{
    BenchDirectory directory;
    MonitorDatabase database(directory.path() / "Tavlen.sqlite");
    finish(database.write([](SqliteConnection& c) {
        seedMonitor(c);
        return 0;
    }));
    std::int64_t next = 0;
    for (auto _ : state) {
        const std::int64_t changed = finish(database.write([&next](SqliteConnection& c) {
            c.prepare(updateMonitor).bindAll("Prices " + std::to_string(next), monitorId).execute();
            for (int row = 0; row < 5; ++row, ++next) {
                c.prepare(insertCheck).bindAll("check-" + std::to_string(next), monitorId, next, next + 1).execute();
            }
            return c.changes();
        }));
        benchmark::DoNotOptimize(changed);
    }
}

// The same statements through the bare C API on the calling thread.
void BM_BareSqliteWrite(benchmark::State& state)
{
    BenchDirectory directory;
    sqlite3* db = bench::openBareWorkspace(directory.path() / "Tavlen.sqlite");
    execute(db,
            "INSERT INTO monitors (id, name, version, created_at_ms) VALUES "
            "('3f2504e0-4f89-41d3-9a0c-0305e82c3301', 'Prices', 1, 0)");
    std::int64_t next = 0;
    for (auto _ : state) {
        execute(db, "BEGIN IMMEDIATE");
        sqlite3_stmt* update = nullptr;
        check(db, sqlite3_prepare_v2(db, updateMonitor, -1, &update, nullptr));
        const std::string name = "Prices " + std::to_string(next);
        sqlite3_bind_text(update, 1, name.c_str(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(update, 2, monitorId, -1, SQLITE_STATIC);
        check(db, sqlite3_step(update));
        sqlite3_finalize(update);
        for (int row = 0; row < 5; ++row, ++next) {
            sqlite3_stmt* insert = nullptr;
            check(db, sqlite3_prepare_v2(db, insertCheck, -1, &insert, nullptr));
            const std::string id = "check-" + std::to_string(next);
            sqlite3_bind_text(insert, 1, id.c_str(), static_cast<int>(id.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 2, monitorId, -1, SQLITE_STATIC);
            sqlite3_bind_int64(insert, 3, next);
            sqlite3_bind_int64(insert, 4, next + 1);
            check(db, sqlite3_step(insert));
            sqlite3_finalize(insert);
        }
        execute(db, "COMMIT");
        benchmark::DoNotOptimize(sqlite3_changes(db));
    }
    sqlite3_close(db);
}

// The fixed cost of one access: the hop to the database's executor and back, and the read transaction around an
// empty body; every repository operation pays it once.
void BM_MonitorDatabaseEmptyRead(benchmark::State& state)
{
    BenchDirectory directory;
    MonitorDatabase database(directory.path() / "Tavlen.sqlite");
    finish(database.read([](SqliteConnection&) { return 0; }));
    for (auto _ : state) {
        benchmark::DoNotOptimize(finish(database.read([](SqliteConnection&) { return 0; })));
    }
}

void BM_BareSqliteEmptyRead(benchmark::State& state)
{
    BenchDirectory directory;
    sqlite3* db = bench::openBareWorkspace(directory.path() / "Tavlen.sqlite");
    for (auto _ : state) {
        execute(db, "BEGIN");
        execute(db, "COMMIT");
    }
    sqlite3_close(db);
}

BENCHMARK(BM_MonitorDatabaseWrite)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_BareSqliteWrite)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_MonitorDatabaseEmptyRead)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_BareSqliteEmptyRead)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime()->UseRealTime();

} // namespace
} // namespace tavlen
