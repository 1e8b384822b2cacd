#include "MonitorDatabase.h"
#include "SqliteStatement.h"
#include "WorkspaceSchema.h"

#include <QEventLoop>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

namespace tavlen {
namespace {

constexpr const char* monitorId = "3f2504e0-4f89-41d3-9a0c-0305e82c3301";
constexpr const char* updateMonitor = "UPDATE monitors SET name = ?, version = version + 1 WHERE id = ?";
constexpr const char* insertCheck =
    "INSERT INTO monitor_checks (id, monitor_id, started_at_ms, completed_at_ms) VALUES (?, ?, ?, ?)";

// A directory on the disk (not tmpfs), removed at the end.
class BenchDirectory
{
public:
    BenchDirectory()
    {
        std::string pattern = (std::filesystem::current_path() / "tavlen-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a directory for the benchmark");
        }
        m_path = pattern;
    }

    ~BenchDirectory() { std::filesystem::remove_all(m_path); }

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

template <class T> T finish(QCoro::Task<T> task)
{
    QEventLoop loop;
    bool finished = false;
    std::optional<T> value;
    [](QCoro::Task<T> inner, std::optional<T>& result, bool& done, QEventLoop& l) -> QCoro::Task<void> {
        result.emplace(co_await inner);
        done = true;
        l.quit();
    }(std::move(task), value, finished, loop);
    if (!finished) {
        loop.exec();
    }
    return std::move(*value);
}

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

void check(sqlite3* db, int result)
{
    if (result != SQLITE_OK && result != SQLITE_DONE) {
        throw std::runtime_error(sqlite3_errmsg(db));
    }
}

void execute(sqlite3* db, const char* sql)
{
    check(db, sqlite3_exec(db, sql, nullptr, nullptr, nullptr));
}

// The same statements through the bare C API on the calling thread.
void BM_BareSqliteWrite(benchmark::State& state)
{
    BenchDirectory directory;
    sqlite3* db = nullptr;
    check(db,
          sqlite3_open_v2(
              (directory.path() / "Tavlen.sqlite").c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr));
    sqlite3_busy_timeout(db, 5000);
    execute(db, "PRAGMA foreign_keys = ON; PRAGMA synchronous = FULL");
    execute(db, ("BEGIN;" + workspaceSchemaScript() + "COMMIT;").c_str());
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

BENCHMARK(BM_MonitorDatabaseWrite)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_BareSqliteWrite)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace
} // namespace tavlen
