#include "BenchWorkspace.h"
#include "ChartSnapshotReader.h"
#include "ChartSnapshotStatements.h"
#include "MonitorDatabase.h"
#include "SqliteConnection.h"

#include <benchmark/benchmark.h>

#include <string>

namespace tavlen {
namespace {

using bench::BenchDirectory;
using bench::finish;
using bench::runBare;

constexpr std::int64_t storedChecks = 100'000;
const std::string monitorID = "3f2504e0-4f89-41d3-9a0c-0305e82c3301";
constexpr std::int64_t windowEnd = (storedChecks + 1) * 60'000;

// One monitor with a saved workflow reading a price (number) and a status (text), and 100,000 checks a minute
// apart: every tenth failed, the others with both readings.
const std::string seed =
    "INSERT INTO monitors (id, name, version, created_at_ms) VALUES ('" + monitorID +
    "', 'Prices', 1, 0);"
    "INSERT INTO monitor_steps VALUES ('" +
    monitorID +
    "', 1, 1, '{\"steps\":[{\"content\":{\"openPage\":{\"delay\":1,\"url\":\"https://example.com/\","
    "\"viewport\":{\"deviceScaleFactor\":2,\"height\":900,\"mobile\":false,\"width\":1280}}},"
    "\"id\":\"9C5B2D61-0E4F-4B7A-8D3C-2A1F6E9B7C40\"},"
    "{\"content\":{\"read\":{\"fields\":[{\"id\":\"3E8A6F12-7B9D-4C05-A1E4-5D2C8B9F0A63\",\"instruction\":\"\","
    "\"name\":\"Price\",\"type\":\"number\"},{\"id\":\"4E8A6F12-7B9D-4C05-A1E4-5D2C8B9F0A63\",\"instruction\":\"\","
    "\"name\":\"Status\",\"type\":\"text\"}],\"modelID\":\"71D4C9B8-2A5E-4F36-9B1C-E0F7A3D65248\","
    "\"timeoutSeconds\":60}},\"id\":\"B2F71E3A-5C84-4D9E-A6B0-1C3D7E8F9A25\","
    "\"region\":{\"height\":48,\"width\":220,\"x\":640,\"y\":312.5},"
    "\"sourceID\":\"9C5B2D61-0E4F-4B7A-8D3C-2A1F6E9B7C40\"}]}');"
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000) "
    "INSERT INTO monitor_checks (id, monitor_id, started_at_ms, completed_at_ms, error_code, error_message) "
    "SELECT lower(printf('%08x-0000-4000-8000-000000000000', i)), '" +
    monitorID +
    "', i * 60000, i * 60000 + 900, CASE WHEN i % 10 = 0 THEN 'provider_http_500' END, "
    "CASE WHEN i % 10 = 0 THEN 'The model provider failed.' END FROM n;"
    "INSERT INTO check_readings (check_id, position, field_id, field_name, value_type, number_value, text_value) "
    "SELECT id, 0, '3e8a6f12-7b9d-4c05-a1e4-5d2c8b9f0a63', 'Price', 'number', started_at_ms / 7000.0, NULL "
    "FROM monitor_checks WHERE error_code IS NULL;"
    "INSERT INTO check_readings (check_id, position, field_id, field_name, value_type, number_value, text_value) "
    "SELECT id, 1, '4e8a6f12-7b9d-4c05-a1e4-5d2c8b9f0a63', 'Status', 'text', NULL, "
    "CASE WHEN started_at_ms % 3 = 0 THEN 'In stock' ELSE 'Sold out' END FROM monitor_checks WHERE error_code IS NULL";

// Each iteration reads the all-time chart snapshot of the monitor.
void BM_ChartSnapshotAllTime(benchmark::State& state)
{
    BenchDirectory directory;
    MonitorDatabase database(directory.path() / "Tavlen.sqlite");
    finish(database.write([](SqliteConnection& c) { c.execute(seed); }));
    ChartSnapshotReader reader(database);
    const Uuid monitor = *Uuid::parse(monitorID);
    for (auto _ : state) {
        const ChartSnapshot snapshot = finish(reader.chartSnapshot(monitor, ChartRange{std::nullopt, windowEnd}));
        if (snapshot.checks.size() != static_cast<std::size_t>(storedChecks)) {
            state.SkipWithError("the snapshot missed checks");
        }
        benchmark::DoNotOptimize(snapshot.samples.data());
    }
}

// The same six statements through the bare C API, every column of every row read.
void BM_BareSqlChartSnapshotAllTime(benchmark::State& state)
{
    BenchDirectory directory;
    sqlite3* db = bench::openBareWorkspace(directory.path() / "Tavlen.sqlite");
    bench::execute(db, "BEGIN;" + seed + ";COMMIT");
    for (auto _ : state) {
        bench::execute(db, "BEGIN");
        namespace sql = chart_statements;
        std::int64_t read = runBare(db, "SELECT m.* FROM monitors m WHERE m.id = ?", monitorID);
        read += runBare(db, sql::earliestCheck, monitorID);
        read += runBare(db, sql::savedWorkflow, monitorID);
        read += runBare(db, sql::latestStoredFields, monitorID);
        read += runBare(db, sql::windowReadings, monitorID, std::int64_t{60'000}, windowEnd);
        read += runBare(db, sql::windowChecks, monitorID, std::int64_t{60'000}, windowEnd);
        bench::execute(db, "COMMIT");
        benchmark::DoNotOptimize(read);
    }
    sqlite3_close(db);
}

BENCHMARK(BM_ChartSnapshotAllTime)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime()->MinTime(5);
BENCHMARK(BM_BareSqlChartSnapshotAllTime)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->MinTime(5);

} // namespace
} // namespace tavlen
