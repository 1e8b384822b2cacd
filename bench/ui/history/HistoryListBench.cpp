#include "BenchWorkspace.h"
#include "HistoryCheckList.h"
#include "HistoryDataSource.h"
#include "MonitorDatabase.h"
#include "MonitorHistory.h"
#include "MonitorHistoryView.h"
#include "SQLiteMonitorCheckRepository.h"
#include "SqliteConnection.h"
#include "SqliteStatement.h"

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QScrollBar>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>

// The History tab of a monitor with 100,000 stored checks (one a minute, every 7th failed, the others with three
// readings, every 3rd with the usage of one Read step). Opening the tab (its first page read from a real workspace
// file, the rows in view made and painted) must take at most 150 ms, and each frame of scrolling (the view moved
// by a wheel step, rows coming into view made, the tab painted) at most 16 ms. The list makes only the rows in
// view, so the scrolling figures hold with every one of the 100,000 checks paged into the model.
namespace tavlen::ui {
namespace {

constexpr int storedChecks = 100'000;
constexpr std::int64_t newest = 1'700'000'000'000;
constexpr std::int64_t minute = 60'000;
const QSize tabSize(900, 700);

MonitorCheck checkAt(int index, const Uuid& monitor, const std::optional<MonitorCheckUsage>& usage)
{
    const std::int64_t start = newest - index * minute;
    std::optional<MonitorCheckFailure> failure;
    if (index % 7 == 3) {
        failure = MonitorCheckFailure("execution_failed", "The page did not load in time.");
    }
    return MonitorCheck{Uuid::random(),
                        monitor,
                        start,
                        start + 1800 + index % 900,
                        failure,
                        failure ? 0 : 3,
                        index % 3 == 0 ? usage : std::nullopt};
}

MonitorCheckUsage oneReadStep()
{
    StepsModelUsage usage;
    usage.model = "gpt-4o";
    usage.provider = ModelSelection::Provider::openAI;
    usage.requests = 1;
    usage.reportedTokenRequests = 1;
    usage.inputTokens = 1200;
    usage.outputTokens = 40;
    usage.inferenceSeconds = 1.25;
    MonitorCheckUsage checkUsage;
    checkUsage.steps.push_back({Uuid::random(), 2, usage});
    return checkUsage;
}

std::vector<Reading> threeReadings(int index)
{
    return {Reading{Uuid::random(), "Price", ReadingValue::ofNumber(1000 + index % 97)},
            Reading{Uuid::random(), "Stock", ReadingValue::ofText("In stock")},
            Reading{Uuid::random(), "Rating", ReadingValue::ofNumber(4.5)}};
}

// The history as the steps store reads it: straight through the check repository.
class RepositorySource final : public HistoryDataSource
{
public:
    explicit RepositorySource(MonitorDatabase& database)
        : m_repository(database)
    {}

    QCoro::Task<std::vector<MonitorCheck>>
    loadChecks(Uuid monitorID, std::optional<MonitorCheckCursor> cursor, int limit, std::stop_token token) override
    {
        return m_repository.history(monitorID, cursor, limit, std::move(token));
    }

    QCoro::Task<std::vector<Reading>> loadReadings(Uuid checkID) override { return m_repository.checkRecord(checkID); }

    QCoro::Task<void> deleteCheck(Uuid monitorID, Uuid checkID) override
    {
        return m_repository.deleteCheck(monitorID, checkID);
    }

private:
    SQLiteMonitorCheckRepository m_repository;
};

// A workspace file with the 100,000 checks, made once.
struct StoredHistory
{
    StoredHistory()
    {
        const MonitorCheckUsage usage = oneReadStep();
        const std::string usageJSON = usage.storedText();
        bench::finish(database.write([this, &usageJSON](SqliteConnection& c) {
            SqliteStatement(c, "INSERT INTO monitors (id, name, version, created_at_ms) VALUES (?1, 'Prices', 1, 1000)")
                .bind(1, monitor.lowercaseString())
                .execute();
            SqliteStatement check(c, "INSERT INTO monitor_checks VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
            SqliteStatement reading(c, "INSERT INTO check_readings VALUES (?1, ?2, ?3, ?4, 'number', ?5, NULL)");
            for (int i = 0; i < storedChecks; ++i) {
                const MonitorCheck stored = checkAt(i, monitor, std::nullopt);
                check.reset();
                check.bind(1, stored.id.lowercaseString()).bind(2, monitor.lowercaseString());
                check.bind(3, stored.startedAtMilliseconds).bind(4, stored.completedAtMilliseconds);
                if (stored.failure) {
                    check.bind(5, stored.failure->code()).bind(6, stored.failure->message());
                } else {
                    check.bind(5, nullptr).bind(6, nullptr);
                }
                if (i % 3 == 0) {
                    check.bind(7, usageJSON);
                } else {
                    check.bind(7, nullptr);
                }
                check.execute();
                for (int r = 0; !stored.failure && r < 3; ++r) {
                    reading.reset();
                    reading.bind(1, stored.id.lowercaseString()).bind(2, r).bind(3, Uuid::random().lowercaseString());
                    reading.bind(4, "Field " + std::to_string(r)).bind(5, static_cast<double>(i + r));
                    reading.execute();
                }
            }
        }));
    }

    bench::BenchDirectory directory;
    MonitorDatabase database{directory.path() / "Tavlen.sqlite"};
    Uuid monitor = Uuid::random();
};

StoredHistory& storedHistory()
{
    static StoredHistory history;
    return history;
}

// Every check answered at once from memory, for a model that pages all 100,000 in.
class MemorySource final : public HistoryDataSource
{
public:
    MemorySource()
    {
        const MonitorCheckUsage usage = oneReadStep();
        for (int i = 0; i < storedChecks; ++i) {
            m_checks.push_back(checkAt(i, m_monitor, usage));
        }
    }

    const Uuid& monitor() const { return m_monitor; }

    // Until reveal(), only the oldest check is stored.
    void reveal() { m_revealed = true; }

    QCoro::Task<std::vector<MonitorCheck>>
    loadChecks(Uuid, std::optional<MonitorCheckCursor> cursor, int limit, std::stop_token) override
    {
        if (!m_revealed) {
            co_return std::vector<MonitorCheck>{m_checks.back()};
        }
        auto first = m_checks.begin();
        if (cursor) {
            first = std::find_if(first, m_checks.end(), [&](const MonitorCheck& check) {
                return check.startedAtMilliseconds < cursor->startedAtMilliseconds;
            });
        }
        const auto last = first + std::min<std::ptrdiff_t>(limit, m_checks.end() - first);
        co_return std::vector<MonitorCheck>(first, last);
    }

    QCoro::Task<std::vector<Reading>> loadReadings(Uuid) override { co_return threeReadings(7); }

    QCoro::Task<void> deleteCheck(Uuid, Uuid) override { co_return; }

private:
    Uuid m_monitor = Uuid::random();
    std::vector<MonitorCheck> m_checks;
    bool m_revealed = false;
};

// A model holding all 100,000 checks, made once. Paging them in 50 at a time merges every page into all the
// checks before it; a refresh that finds every newer check above the oldest one merges them once.
MonitorHistory& fullHistory()
{
    static MemorySource source;
    static MonitorHistory* history = [] {
        auto* model = new MonitorHistory(source.monitor(), source);
        bench::finish(model->refresh());
        source.reveal();
        bench::finish(model->refresh());
        return model;
    }();
    return *history;
}

void paint(QWidget& view, QImage& target)
{
    QPainter painter(&target);
    view.render(&painter);
}

void settle()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

// From a new model and view to the first page read from the file and the rows in view painted.
void BM_HistoryTabOpen(benchmark::State& state)
{
    StoredHistory& stored = storedHistory();
    RepositorySource source(stored.database);
    QImage target(tabSize, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        MonitorHistory model(stored.monitor, source);
        MonitorHistoryView view(0, model);
        view.resize(tabSize);
        view.show();
        while (!model.hasLoaded()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        settle();
        paint(view, target);
        state.PauseTiming();
        view.hide();
        settle();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_HistoryTabOpen)->Unit(benchmark::kMillisecond)->UseRealTime();

// The view made over a model that already holds all 100,000 checks, laid out and painted.
void BM_HistoryTabOpenWithEveryCheckPagedIn(benchmark::State& state)
{
    MonitorHistory& model = fullHistory();
    QImage target(tabSize, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        MonitorHistoryView view(0, model);
        view.resize(tabSize);
        view.show();
        settle();
        paint(view, target);
        state.PauseTiming();
        view.hide();
        settle();
        state.ResumeTiming();
    }
    state.counters["checks"] = static_cast<double>(model.checks().size());
}

BENCHMARK(BM_HistoryTabOpenWithEveryCheckPagedIn)->Unit(benchmark::kMillisecond)->UseRealTime();

// What the view's refresh costs the model alone when it holds every check: the bare operation under the figure above.
void BM_HistoryModelRefreshWithEveryCheckPagedIn(benchmark::State& state)
{
    MonitorHistory& model = fullHistory();
    for (auto _ : state) {
        bench::finish(model.refresh());
    }
}

BENCHMARK(BM_HistoryModelRefreshWithEveryCheckPagedIn)->Unit(benchmark::kMillisecond)->UseRealTime();

// One frame of scrolling through all 100,000 checks: a wheel step of 120 pixels, the rows coming into view made
// (their readings answered at once), the tab painted.
void BM_HistoryScrollFrame(benchmark::State& state)
{
    MonitorHistory& model = fullHistory();
    MonitorHistoryView view(0, model);
    view.resize(tabSize);
    view.show();
    settle();
    QScrollBar* scroll = view.list()->verticalScrollBar();
    QImage target(tabSize, QImage::Format_ARGB32_Premultiplied);
    int value = 0;
    for (auto _ : state) {
        value = value + 120 > scroll->maximum() ? 0 : value + 120;
        scroll->setValue(value);
        settle();
        paint(view, target);
    }
    state.counters["rows"] = static_cast<double>(view.list()->rows().size());
}

BENCHMARK(BM_HistoryScrollFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

// The bare paint of the tab as it stands, for comparison: what a frame costs without moving.
void BM_HistoryPaintOnly(benchmark::State& state)
{
    MonitorHistory& model = fullHistory();
    MonitorHistoryView view(0, model);
    view.resize(tabSize);
    view.show();
    settle();
    view.list()->verticalScrollBar()->setValue(view.list()->verticalScrollBar()->maximum() / 2);
    settle();
    QImage target(tabSize, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        paint(view, target);
    }
}

BENCHMARK(BM_HistoryPaintOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace tavlen::ui
