#include "BenchWorkspace.h"
#include "MonitorDatabase.h"
#include "MonitorScheduler.h"
#include "SQLiteScheduleRepository.h"
#include "ScheduleRule.h"
#include "SqliteConnection.h"
#include "TimeSource.h"

#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace tavlen {
namespace {

using bench::BenchDirectory;
using bench::finish;

// A steps store that never takes a run: the passes measured here only refresh and publish.
// The system's clocks and timers with a date the benchmark moves a second a pass.
class SteppedDate final : public TimeSource
{
public:
    Date date() const override { return m_date; }

    std::chrono::nanoseconds now(Clock clock) const override { return systemTime().now(clock); }

    std::unique_ptr<Timer>
    startTimer(Clock clock, std::chrono::nanoseconds deadline, std::function<void()> fire) const override
    {
        return systemTime().startTimer(clock, deadline, std::move(fire));
    }

    void step() { m_date = m_date.addingSeconds(1); }

private:
    Date m_date = Date::now();
};

class IdleRunner final : public ScheduledCheckRunner
{
public:
    bool canStartScheduledCheck() const override { return false; }

    bool canRunScheduledCheck(const Uuid&) const override { return false; }

    bool startScheduledCheck(const QueuedCheck&, Claim, ClaimFailure) override { return false; }

    void setOnExecutionSettled(std::function<void()>) override {}
};

// `count` monitors with scheduling on, every 60 minutes on every day.
void seedMonitors(MonitorDatabase& database, int count)
{
    const std::string rule = ScheduleRule::every({60, {1, 2, 3, 4, 5, 6, 7}, std::nullopt}).encodeStored();
    const std::string sql = "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                            std::to_string(count) +
                            ") INSERT INTO monitors (id, name, version, created_at_ms, schedule_enabled, "
                            "schedule_json) SELECT lower(printf('%08x-0000-4000-8000-000000000000', i)), "
                            "'Monitor ' || i, 1, i, 1, '" +
                            rule + "' FROM n";
    finish(database.write([sql](SqliteConnection& c) { c.execute(sql); }));
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// One pass over 1,000 enabled monitors in the steady state (runtime rows present, nothing due): the refresh in
// one write transaction and the snapshot's publication.
void BM_SchedulerPass1000Monitors(benchmark::State& state)
{
    BenchDirectory directory;
    MonitorDatabase database(directory.path() / "Tavlen.sqlite");
    seedMonitors(database, 1000);
    SQLiteScheduleRepository repository(database);
    IdleRunner runner;
    SteppedDate time;
    MonitorSchedulerEnvironment environment;
    environment.time = &time;
    environment.timeZone = [] { return std::string("Europe/Berlin"); };
    MonitorScheduler scheduler(
        repository, runner, [] { return true; }, std::move(environment));
    finish(scheduler.runCheckPass()); // creates the runtime rows
    for (auto _ : state) {
        time.step();
        finish(scheduler.runCheckPass());
    }
    if (scheduler.error() || scheduler.snapshot().states.size() != 1000) {
        state.SkipWithError("the pass did not refresh every monitor");
    }
}

BENCHMARK(BM_SchedulerPass1000Monitors)->Unit(benchmark::kMillisecond);

// The floor beside it: the statements a steady pass cannot do without, through the bare C API on the calling
// thread, in one write transaction: every enabled monitor with its schedule and runtime state, then the queue.
void BM_BareSqlSchedulerPass1000Monitors(benchmark::State& state)
{
    BenchDirectory directory;
    {
        MonitorDatabase database(directory.path() / "Tavlen.sqlite");
        seedMonitors(database, 1000);
        SQLiteScheduleRepository repository(database);
        finish(repository.refresh(Date::now(), "Europe/Berlin")); // creates the runtime rows
    }
    sqlite3* db = nullptr;
    bench::check(db, sqlite3_open((directory.path() / "Tavlen.sqlite").c_str(), &db));
    bench::execute(db, "PRAGMA foreign_keys = ON; PRAGMA synchronous = FULL");
    for (auto _ : state) {
        bench::execute(db, "BEGIN IMMEDIATE");
        const std::int64_t read =
            bench::runBare(db,
                           "SELECT m.id, m.schedule_version, m.schedule_json, r.schedule_version, r.state_json,\n"
                           "    EXISTS (SELECT 1 FROM monitor_steps s WHERE s.monitor_id = m.id)\n"
                           "FROM monitors m LEFT JOIN schedule_runtime r ON r.monitor_id = m.id\n"
                           "WHERE m.schedule_enabled = 1") +
            bench::runBare(db,
                           "SELECT q.* FROM scheduled_checks_queue q JOIN monitors s ON s.id = q.monitor_id\n"
                           "WHERE s.schedule_enabled = 1 AND s.schedule_version = q.schedule_version\n"
                           "ORDER BY q.due_at_ms, q.monitor_id");
        bench::execute(db, "COMMIT");
        benchmark::DoNotOptimize(read);
    }
    sqlite3_close(db);
}

BENCHMARK(BM_BareSqlSchedulerPass1000Monitors)->Unit(benchmark::kMillisecond);

// The process's CPU time over one idle minute of the started scheduler with 100 monitors, none of them due: one
// pass a second on the real clock.
void BM_SchedulerIdleMinute100Monitors(benchmark::State& state)
{
    BenchDirectory directory;
    MonitorDatabase database(directory.path() / "Tavlen.sqlite");
    seedMonitors(database, 100);
    SQLiteScheduleRepository repository(database);
    IdleRunner runner;
    MonitorScheduler scheduler(repository, runner, [] { return true; });
    for (auto _ : state) {
        scheduler.start();
        const double cpuBefore = cpuSeconds();
        const auto wallBefore = std::chrono::steady_clock::now();
        QEventLoop loop;
        QTimer::singleShot(std::chrono::minutes(1), &loop, &QEventLoop::quit);
        loop.exec();
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
        state.counters["cpu_percent"] = 100.0 * (cpuSeconds() - cpuBefore) / wall;
        scheduler.stop();
    }
}

BENCHMARK(BM_SchedulerIdleMinute100Monitors)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
} // namespace tavlen
