#include "MonitorCharts.h"

#include "ChartSeriesBuilder.h"
#include "ChartTestValues.h"
#include "EventLoopTest.h"
#include "MonitorStoreError.h"
#include "ObjectRemains.h"
#include "ScriptedSources.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <utility>
#include <vector>

namespace tavlen {
namespace {

using test::chartID;
using test::numberAt;
using test::waitBounded;

constexpr std::int64_t nowMilliseconds = 1'700'000'000'000;
const Uuid monitor = chartID(1);
const Uuid price = chartID(900);

Date at(std::int64_t milliseconds)
{
    return Date::fromMilliseconds(milliseconds);
}

// A snapshot of one Price field with one reading per value, a second apart, ending at end.
ChartSnapshot snapshotOf(std::int64_t end, std::vector<double> values, std::string name = "Price")
{
    ChartSnapshot snapshot{
        {end - 86'400'000, end}, {ChartField{price, std::move(name), ReadingFieldType::number, false}}, {}, {}};
    for (std::size_t i = 0; i < values.size(); ++i) {
        const int check = static_cast<int>(i) + 1;
        snapshot.samples.push_back(numberAt(price, check, end - 10'000 + 1000 * check, values[i]));
    }
    return snapshot;
}

std::vector<double> valuesOf(const std::vector<ChartSeries>& series)
{
    std::vector<double> values;
    for (const ChartSeries& one : series) {
        for (const ChartReading& reading : one.numbers) {
            values.push_back(reading.value.number());
        }
    }
    return values;
}

class MonitorChartsTest : public test::EventLoopTest
{
protected:
    test::ScriptedChartsSource m_source;
    std::vector<ChartPreset> m_recorded;
    MonitorCharts m_charts{
        monitor, m_source, ChartPreset::day, [this](ChartPreset preset) { m_recorded.push_back(preset); }};
};

TEST_F(MonitorChartsTest, aLoadAsksForThePresetsRangeAndShowsTheBuiltSeries)
{
    QSignalSpy series(&m_charts, &MonitorCharts::seriesChanged);
    auto loading = m_charts.load(Date::fromSecondsSince1970(1'700'000'000.0009));
    ASSERT_EQ(m_source.requests.size(), 1u);
    EXPECT_EQ(m_source.requests[0].monitorID, monitor);
    EXPECT_EQ(m_source.requests[0].range, (ChartRange{nowMilliseconds - 86'400'000, nowMilliseconds}));
    EXPECT_TRUE(m_charts.isLoading());
    EXPECT_FALSE(m_charts.hasLoaded());

    m_source.requests[0].answer.resume(snapshotOf(nowMilliseconds, {3, 4}));
    waitBounded(std::move(loading));
    EXPECT_EQ(valuesOf(m_charts.series()), (std::vector<double>{3, 4}));
    EXPECT_EQ(m_charts.window(), (ChartWindow{nowMilliseconds - 86'400'000, nowMilliseconds}));
    EXPECT_TRUE(m_charts.hasLoaded());
    EXPECT_FALSE(m_charts.isLoading());
    EXPECT_EQ(m_charts.error(), std::nullopt);
    EXPECT_EQ(series.count(), 2); // cleared for the new range, then filled

    // The all-time range carries no start; its window comes from the snapshot.
    m_charts.setPreset(ChartPreset::all);
    auto all = m_charts.load(at(nowMilliseconds + 5));
    EXPECT_EQ(m_source.requests[1].range, (ChartRange{std::nullopt, nowMilliseconds + 5}));
    EXPECT_TRUE(m_charts.series().empty());
    EXPECT_EQ(m_charts.window(), std::nullopt);
    ChartSnapshot week = snapshotOf(nowMilliseconds + 5, {});
    week.window = {nowMilliseconds + 5 - 604'800'000, nowMilliseconds + 5};
    m_source.requests[1].answer.resume(week);
    waitBounded(std::move(all));
    EXPECT_EQ(m_charts.window(), week.window);
    EXPECT_EQ(m_charts.series().size(), 1u);
}

TEST_F(MonitorChartsTest, onlyTheLatestLoadIsShown)
{
    auto first = m_charts.load(at(nowMilliseconds));
    auto second = m_charts.load(at(nowMilliseconds + 1000));
    ASSERT_EQ(m_source.requests.size(), 2u);

    // The earlier answer arriving first changes nothing and leaves the later load in flight.
    m_source.requests[0].answer.resume(snapshotOf(nowMilliseconds, {1}));
    waitBounded(std::move(first));
    EXPECT_TRUE(m_charts.series().empty());
    EXPECT_TRUE(m_charts.isLoading());

    m_source.requests[1].answer.resume(snapshotOf(nowMilliseconds + 1000, {2}));
    waitBounded(std::move(second));
    EXPECT_EQ(valuesOf(m_charts.series()), (std::vector<double>{2}));
    EXPECT_FALSE(m_charts.isLoading());

    // A late answer of an older load, arriving after the newer one finished, is dropped too.
    auto third = m_charts.load(at(nowMilliseconds + 1000));
    auto fourth = m_charts.load(at(nowMilliseconds + 1000));
    m_source.requests[3].answer.resume(snapshotOf(nowMilliseconds + 1000, {4}));
    waitBounded(std::move(fourth));
    m_source.requests[2].answer.fail(std::make_exception_ptr(MonitorStoreError::missingMonitor()));
    waitBounded(std::move(third));
    EXPECT_EQ(valuesOf(m_charts.series()), (std::vector<double>{4}));
    EXPECT_EQ(m_charts.error(), std::nullopt);
    EXPECT_TRUE(m_charts.hasLoaded());
}

TEST_F(MonitorChartsTest, cancelAndAStoppedTaskDropTheResult)
{
    auto cancelled = m_charts.load(at(nowMilliseconds));
    QSignalSpy loading(&m_charts, &MonitorCharts::isLoadingChanged);
    m_charts.cancel();
    EXPECT_FALSE(m_charts.isLoading());
    m_source.requests[0].answer.resume(snapshotOf(nowMilliseconds, {1}));
    waitBounded(std::move(cancelled));
    EXPECT_TRUE(m_charts.series().empty());
    EXPECT_FALSE(m_charts.hasLoaded());
    EXPECT_EQ(loading.count(), 1);

    std::stop_source view;
    auto stopped = m_charts.load(at(nowMilliseconds), view.get_token());
    view.request_stop();
    m_source.requests[1].answer.fail(std::make_exception_ptr(MonitorStoreError::busy()));
    waitBounded(std::move(stopped));
    EXPECT_EQ(m_charts.error(), std::nullopt);
    EXPECT_FALSE(m_charts.isLoading()); // still its own request

    auto later = m_charts.load(at(nowMilliseconds));
    m_source.requests[2].answer.resume(snapshotOf(nowMilliseconds, {7}));
    waitBounded(std::move(later));
    EXPECT_EQ(valuesOf(m_charts.series()), (std::vector<double>{7}));
}

// The first build runs until its token stops, as a long one over a large snapshot would, and says when it started;
// later builds are the real one. Released at the end whatever happened, so no pool thread is left waiting.
class BuildUntilStopped
{
public:
    ~BuildUntilStopped()
    {
        {
            std::lock_guard lock(m_mutex);
            m_released = true;
        }
        m_wake.notify_all();
    }

    std::vector<ChartSeries> operator()(const ChartSnapshot& snapshot, const std::stop_token& stop)
    {
        if (m_builds.fetch_add(1) > 0) {
            return buildChartSeries(snapshot, stop);
        }
        m_started = true;
        std::unique_lock lock(m_mutex);
        m_stopped = m_wake.wait(lock, stop, [&] { return m_released; }) == false;
        return buildChartSeries(snapshot, stop);
    }

    bool started() const { return m_started; }

    bool stopped() const { return m_stopped; }

private:
    std::mutex m_mutex;
    std::condition_variable_any m_wake;
    bool m_released = false;
    std::atomic<int> m_builds{0};
    std::atomic<bool> m_started{false};
    std::atomic<bool> m_stopped{false};
};

TEST_F(MonitorChartsTest, aSupersededBuildIsStopped)
{
    struct Row
    {
        const char* name;
        std::function<void(MonitorCharts&)> supersede;
    };

    const Row rows[] = {
        {"a newer load", [](MonitorCharts& charts) { (void)charts.load(at(nowMilliseconds + 1000)); }},
        {"cancel", [](MonitorCharts& charts) { charts.cancel(); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        BuildUntilStopped build;
        test::ScriptedChartsSource source;
        MonitorCharts charts(monitor, source, ChartPreset::day, {}, nullptr, [&](auto& snapshot, auto& stop) {
            return build(snapshot, stop);
        });
        auto first = charts.load(at(nowMilliseconds));
        source.requests[0].answer.resume(snapshotOf(nowMilliseconds, {1, 2}));
        ASSERT_TRUE(test::waitUntil([&] { return build.started(); }));

        row.supersede(charts);
        waitBounded(std::move(first));
        EXPECT_TRUE(build.stopped());
        EXPECT_TRUE(charts.series().empty());
    }
}

TEST_F(MonitorChartsTest, aSupersededOrStoppedLoadStopsItsSnapshotRead)
{
    struct Row
    {
        const char* name;
        std::function<void(MonitorCharts&, std::stop_source&)> supersede;
    };

    const Row rows[] = {
        {"a newer load", [](MonitorCharts& charts, std::stop_source&) { (void)charts.load(at(nowMilliseconds)); }},
        {"cancel", [](MonitorCharts& charts, std::stop_source&) { charts.cancel(); }},
        {"the view's stop", [](MonitorCharts&, std::stop_source& view) { view.request_stop(); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::ScriptedChartsSource source;
        MonitorCharts charts(monitor, source, ChartPreset::day);
        std::stop_source view;
        auto first = charts.load(at(nowMilliseconds), view.get_token());
        ASSERT_EQ(source.requests.size(), 1u);
        EXPECT_FALSE(source.requests[0].token.stop_requested());

        row.supersede(charts, view);
        EXPECT_TRUE(source.requests[0].token.stop_requested());
        source.requests[0].answer.fail(std::make_exception_ptr(MonitorStoreError::interrupted()));
        waitBounded(std::move(first));
        EXPECT_EQ(charts.error(), std::nullopt);
        if (source.requests.size() > 1) {
            EXPECT_FALSE(source.requests[1].token.stop_requested());
            source.requests[1].answer.resume(snapshotOf(nowMilliseconds, {3}));
        }
    }
}

TEST_F(MonitorChartsTest, failuresShowTheirSentence)
{
    struct Row
    {
        const char* name;
        std::exception_ptr error;
        bool clearsSeries;
        const char* sentence;
    };

    const char* goneSentence = "This monitor no longer exists. Select another monitor to view its charts.";
    const char* failedSentence = "Could not load charts. Retry to read the stored readings again.";
    const std::vector<Row> rows{
        {"a deleted monitor", std::make_exception_ptr(MonitorStoreError::missingMonitor()), true, goneSentence},
        {"a busy file", std::make_exception_ptr(MonitorStoreError::busy()), false, failedSentence},
        {"invalid stored data", std::make_exception_ptr(MonitorStoreError::invalidStoredData()), false, failedSentence},
        {"a refused range",
         std::make_exception_ptr(MonitorStoreError::validation("Choose a start time before the end time.")),
         false,
         failedSentence},
        {"an unexpected error", std::make_exception_ptr(std::runtime_error("disk")), false, failedSentence},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::ScriptedChartsSource source;
        MonitorCharts charts(monitor, source, ChartPreset::week);
        auto loaded = charts.load(at(nowMilliseconds));
        source.requests[0].answer.resume(snapshotOf(nowMilliseconds, {1}));
        waitBounded(std::move(loaded));
        // Within the same millisecond the range is the same, so the loaded series stay while it loads.
        auto failing = charts.load(at(nowMilliseconds));
        EXPECT_EQ(charts.series().size(), 1u);
        source.requests[1].answer.fail(row.error);
        waitBounded(std::move(failing));
        EXPECT_EQ(charts.error(), std::optional<std::string>(row.sentence));
        EXPECT_EQ(charts.series().empty(), row.clearsSeries);
        EXPECT_EQ(charts.hasLoaded(), !row.clearsSeries);
        EXPECT_EQ(charts.window().has_value(), !row.clearsSeries);
        EXPECT_FALSE(charts.isLoading());

        // The next load clears the error as it starts.
        auto retry = charts.load(at(nowMilliseconds + 1));
        EXPECT_EQ(charts.error(), std::nullopt);
        EXPECT_TRUE(charts.series().empty());
        source.requests[2].answer.resume(snapshotOf(nowMilliseconds + 1, {2}));
        waitBounded(std::move(retry));
        EXPECT_EQ(charts.series().size(), 1u);
    }
}

TEST_F(MonitorChartsTest, aModelGoneDuringALoadIsLeftAlone)
{
    const std::vector<std::pair<const char*, std::function<void(Completion<ChartSnapshot>&)>>> answers{
        {"snapshot", [](auto& answer) { answer.resume(snapshotOf(nowMilliseconds, {1})); }},
        {"failure", [](auto& answer) { answer.fail(std::make_exception_ptr(MonitorStoreError::busy())); }},
    };
    for (const auto& [name, answer] : answers) {
        SCOPED_TRACE(name);
        test::ScriptedChartsSource source;
        test::ObjectRemains<MonitorCharts> charts(monitor, source, ChartPreset::day);
        auto loading = charts->load(at(nowMilliseconds));
        charts.destroy();
        answer(source.requests[0].answer);
        waitBounded(std::move(loading));
        EXPECT_FALSE(charts.touchedSinceDestroyed());
        EXPECT_EQ(source.requests.size(), 1u);
    }
}

TEST_F(MonitorChartsTest, aPresetChangeIsReportedOnceAndLoadsNothing)
{
    QSignalSpy preset(&m_charts, &MonitorCharts::presetChanged);
    m_charts.setPreset(ChartPreset::day);
    EXPECT_EQ(preset.count(), 0);
    EXPECT_TRUE(m_recorded.empty());
    m_charts.setPreset(ChartPreset::threeMonths);
    EXPECT_EQ(preset.count(), 1);
    EXPECT_EQ(m_recorded, (std::vector<ChartPreset>{ChartPreset::threeMonths}));
    EXPECT_TRUE(m_source.requests.empty());
}

TEST_F(MonitorChartsTest, theFilterMatchesFieldNamesIgnoringCase)
{
    const Uuid a = *Uuid::parse("00000000-0000-4000-8000-00000000beef");
    const Uuid b = *Uuid::parse("00000000-0000-4000-8000-00000001beef");
    ChartSnapshot snapshot{{0, 100},
                           {ChartField{a, "Unit Price", ReadingFieldType::number, false},
                            ChartField{b, "unit price", ReadingFieldType::number, false},
                            ChartField{price, "PRICE", ReadingFieldType::number, false},
                            ChartField{chartID(7), "Stock", ReadingFieldType::text, false}},
                           {},
                           {}};
    auto loading = m_charts.load(at(nowMilliseconds));
    m_source.requests[0].answer.resume(snapshot);
    waitBounded(std::move(loading));
    const auto names = [&] {
        std::vector<std::string> shown;
        for (const ChartSeries& series : m_charts.filteredSeries()) {
            shown.push_back(series.field.name);
        }
        return shown;
    };
    QSignalSpy filter(&m_charts, &MonitorCharts::filterChanged);
    m_charts.setFilter("  price\n");
    EXPECT_EQ(names(), (std::vector<std::string>{"Unit Price", "unit price", "PRICE"}));
    m_charts.setFilter("  price\n");
    EXPECT_EQ(filter.count(), 1);
    m_charts.setFilter("   ");
    EXPECT_EQ(names().size(), 4u);
    m_charts.setFilter("beef"); // only in the titles' id endings
    EXPECT_TRUE(names().empty());
    EXPECT_EQ(m_charts.series()[0].title, "Unit Price \u00B7 0000BEEF");
}

} // namespace
} // namespace tavlen
