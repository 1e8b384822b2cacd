// The charts and history models over a real workspace file, read through the steps store, their data source in
// the application.
#include "ChartSnapshotReader.h"
#include "MonitorCharts.h"
#include "MonitorCheckStore.h"
#include "MonitorHistory.h"
#include "NoCaptures.h"
#include "SQLiteMonitorCheckRepository.h"
#include "SQLiteStepsRepository.h"
#include "StepsStore.h"
#include "WorkspaceFixture.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tavlen {
namespace {

using test::numberField;
using test::sampleDocument;
using test::textField;

constexpr std::int64_t hour = 3'600'000;
constexpr std::int64_t now = 1'700'000'000'000;

using tavlen::test::NoCaptures;

class MonitorModelsStoreTest : public test::WorkspaceFixture
{
protected:
    ~MonitorModelsStoreTest() override { finish(m_store.waitUntilIdle(true)); }

    // Stores a check started at the time, with (field, name, value) readings, or failed.
    Uuid addCheck(std::int64_t startedAt,
                  std::vector<std::tuple<Uuid, std::string, ReadingValue>> readings,
                  std::optional<MonitorCheckFailure> failure = std::nullopt)
    {
        MonitorCheckRecord record;
        record.check = MonitorCheck{Uuid::random(),
                                    m_monitor,
                                    startedAt,
                                    startedAt + 5,
                                    std::move(failure),
                                    static_cast<std::int64_t>(readings.size()),
                                    std::nullopt};
        for (auto& [field, name, value] : readings) {
            record.readings.push_back(Reading{field, name, value});
        }
        finish(m_repository->record(record));
        return record.check.id;
    }

    Uuid m_monitor = insertMonitor();
    std::shared_ptr<SQLiteMonitorCheckRepository> m_repository =
        std::make_shared<SQLiteMonitorCheckRepository>(m_database);
    SQLiteStepsRepository m_steps{m_database};
    NoCaptures m_capture;
    StepsStore m_store{m_steps,
                       m_capture,
                       nullptr,
                       m_repository,
                       std::make_shared<ChartSnapshotReader>(m_database),
                       BrowserCaptureSettings{1280, 900, 2, false}};
};

TEST_F(MonitorModelsStoreTest, theHistoryPagesReadsAndDeletesStoredChecks)
{
    const Uuid price = Uuid::random();
    std::vector<Uuid> ids;
    for (int i = 0; i < 55; ++i) {
        ids.push_back(addCheck(now + i * 1000, {{price, "Price", ReadingValue::ofNumber(i)}}));
    }
    MonitorHistory history(m_monitor, m_store);
    finish(history.refresh());
    ASSERT_EQ(history.checks().size(), 50u);
    EXPECT_EQ(history.checks().front().id, ids.back());
    EXPECT_TRUE(history.hasOlder());
    finish(history.loadOlder());
    ASSERT_EQ(history.checks().size(), 55u);
    EXPECT_EQ(history.checks().back().id, ids.front());
    EXPECT_FALSE(history.hasOlder());

    finish(history.loadReadings(ids[3]));
    EXPECT_EQ(history.readings().at(ids[3]),
              (std::vector<Reading>{Reading{price, "Price", ReadingValue::ofNumber(3)}}));

    finish(history.deleteCheck(history.checks().back()));
    EXPECT_EQ(history.checks().size(), 54u);
    EXPECT_EQ(count("monitor_checks"), 54);
    EXPECT_EQ(m_store.results().checksRevision(), 1);

    // A check deleted elsewhere leaves the list when its readings are asked for.
    execute("DELETE FROM monitor_checks WHERE id = '" + ids[10].lowercaseString() + "'");
    finish(history.loadReadings(ids[10]));
    EXPECT_EQ(history.checks().size(), 53u);
    EXPECT_EQ(history.error(), std::nullopt);

    addCheck(now + 100'000, {});
    finish(history.refresh());
    EXPECT_EQ(history.checks().size(), 54u);

    execute("DELETE FROM monitors");
    finish(history.refresh());
    EXPECT_TRUE(history.checks().empty());
    EXPECT_EQ(history.error(),
              std::optional<std::string>("This monitor no longer exists. Select another monitor to view its checks."));
}

TEST_F(MonitorModelsStoreTest, theChartsShowTheStoredReadingsOfTheRange)
{
    const Uuid price = Uuid::random();
    const Uuid stock = Uuid::random();
    const Uuid model = insertModel();
    finish(m_steps.saveSteps(
        m_monitor,
        std::nullopt,
        StepsWorkflow{sampleDocument(model, {{numberField("Price", price), textField("Stock", stock)}})}));
    addCheck(now - 30 * hour,
             {{price, "Price", ReadingValue::ofNumber(9)}, {stock, "Stock", ReadingValue::ofText("In stock")}});
    addCheck(now - 3 * hour,
             {{price, "Price", ReadingValue::ofNumber(10)}, {stock, "Stock", ReadingValue::ofText("In stock")}});
    const Uuid failed = addCheck(now - 2 * hour, {}, MonitorCheckFailure("cancelled", "Execution cancelled."));
    addCheck(now - hour,
             {{price, "Price", ReadingValue::ofNumber(12)}, {stock, "Stock", ReadingValue::ofText("Sold out")}});

    MonitorCharts charts(m_monitor, m_store, ChartPreset::day);
    finish(charts.load(Date::fromMilliseconds(now)));
    ASSERT_EQ(charts.error(), std::nullopt);
    EXPECT_EQ(charts.window(), (ChartWindow{now - 24 * hour, now}));
    ASSERT_EQ(charts.series().size(), 2u);
    const ChartSeries& prices = charts.series()[0];
    EXPECT_EQ(prices.title, "Price");
    EXPECT_EQ(prices.numbers.size(), 3u); // with the one before the window that the line reaches from
    ASSERT_EQ(prices.numericSegments.size(), 2u);
    EXPECT_FALSE(prices.numericSegments[0].interrupted);
    EXPECT_TRUE(prices.numericSegments[1].interrupted); // the cancelled check lies between
    EXPECT_DOUBLE_EQ(prices.numericDomain.lower, 9 - (12.0 / 20 - 9.0 / 20));
    ASSERT_EQ(prices.issues.size(), 1u);
    EXPECT_EQ(prices.issues[0].id, failed);
    EXPECT_EQ(prices.issues[0].message, "Cancelled check: Execution cancelled.");

    const ChartSeries& stocks = charts.series()[1];
    ASSERT_EQ(stocks.textIntervals.size(), 2u);
    EXPECT_EQ(stocks.textIntervals[0].text, "In stock");
    EXPECT_TRUE(stocks.textIntervals[0].startedBeforeRange);
    EXPECT_EQ(stocks.textIntervals[0].endMilliseconds, now - hour);
    EXPECT_EQ(stocks.textIntervals[1].text, "Sold out");
    EXPECT_TRUE(stocks.textIntervals[1].isOpenEnded);

    execute("DELETE FROM monitors");
    finish(charts.load(Date::fromMilliseconds(now + 1)));
    EXPECT_TRUE(charts.series().empty());
    EXPECT_FALSE(charts.hasLoaded());
    EXPECT_EQ(charts.error(),
              std::optional<std::string>("This monitor no longer exists. Select another monitor to view its charts."));
}

TEST_F(MonitorModelsStoreTest, aStoppedReadOfTheStoreIsInterrupted)
{
    addCheck(now - hour, {});
    std::stop_source stopped;
    stopped.request_stop();

    struct Row
    {
        const char* name;
        std::function<QCoro::Task<void>()> read;
    };

    const Row rows[] = {
        {"checks",
         [&]() -> QCoro::Task<void> {
             auto loading = m_store.loadChecks(m_monitor, std::nullopt, 50, stopped.get_token());
             co_await std::move(loading);
         }},
        {"snapshot",
         [&]() -> QCoro::Task<void> {
             auto loading = m_store.loadSnapshot(m_monitor, ChartRange{std::nullopt, now}, stopped.get_token());
             co_await std::move(loading);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        try {
            finish(row.read());
            ADD_FAILURE() << "the read finished";
        } catch (const MonitorStoreError& error) {
            EXPECT_EQ(error.kind(), MonitorStoreError::Kind::interrupted);
        }
    }
    EXPECT_EQ(finish(m_store.loadChecks(m_monitor, std::nullopt, 50)).size(), 1u);
}

} // namespace
} // namespace tavlen
