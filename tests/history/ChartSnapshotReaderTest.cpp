#include "ChartSnapshotReader.h"

#include "SQLiteMonitorCheckRepository.h"
#include "SQLiteStepsRepository.h"
#include "WorkspaceFixture.h"

#include <gtest/gtest.h>

namespace tavlen {
namespace {

using test::numberField;
using test::sampleDocument;
using test::textField;

Uuid uuid(int n)
{
    char text[37];
    std::snprintf(text, sizeof text, "00000000-0000-4000-8000-%012d", n);
    return *Uuid::parse(text);
}

class ChartSnapshotReaderTest : public test::WorkspaceFixture
{
protected:
    // Stores a check of the monitor started at the given time; its readings are (field id, name, value).
    Uuid addCheck(std::int64_t startedAt,
                  std::vector<std::tuple<Uuid, std::string, ReadingValue>> readings,
                  Uuid id = Uuid::random(),
                  std::optional<MonitorCheckFailure> failure = std::nullopt)
    {
        MonitorCheckRecord record;
        record.check = MonitorCheck{id,
                                    m_monitor,
                                    startedAt,
                                    startedAt + 5,
                                    std::move(failure),
                                    static_cast<std::int64_t>(readings.size()),
                                    {}};
        for (auto& [field, name, value] : readings) {
            record.readings.push_back(Reading{field, name, value});
        }
        finish(SQLiteMonitorCheckRepository(m_database).record(record));
        return id;
    }

    void saveWorkflow(const StepsDocument& document)
    {
        finish(SQLiteStepsRepository(m_database).saveSteps(m_monitor, std::nullopt, StepsWorkflow{document}));
    }

    ChartSnapshot snapshot(std::optional<std::int64_t> start, std::int64_t end)
    {
        return finish(m_reader.chartSnapshot(m_monitor, ChartRange{start, end}));
    }

    ChartSnapshotReader m_reader{m_database};
    Uuid m_monitor = insertMonitor();
    Uuid m_model = insertModel();
    Uuid m_price = uuid(101);
    Uuid m_stock = uuid(102);
    Uuid m_former = uuid(103);
};

TEST_F(ChartSnapshotReaderTest, aWindowHoldsItsReadingsTheirNeighboursAndItsChecks)
{
    saveWorkflow(sampleDocument(m_model, {{numberField("Price", m_price)}, {textField("Stock", m_stock)}}));
    const auto n = [](double v) { return ReadingValue::ofNumber(v); };
    const auto t = [](const char* v) { return ReadingValue::ofText(v); };
    const Uuid c1 = addCheck(1000, {{m_price, "Price", n(1)}, {m_stock, "Stock", t("a")}, {m_former, "Old", t("x")}});
    addCheck(2000, {}, Uuid::random(), MonitorCheckFailure("cancelled", "Execution cancelled."));
    const Uuid c3 = addCheck(3000, {{m_price, "Price", n(3)}});
    const Uuid c4 = addCheck(4000, {{m_stock, "Stock (old name)", t("d")}, {m_price, "Price", n(4)}});
    const Uuid c5 = addCheck(5000, {{m_price, "Price", n(5)}});
    addCheck(6000, {{m_price, "Price", n(6)}});

    const ChartSnapshot chart = snapshot(3000, 5000);
    EXPECT_EQ(chart.window, (ChartWindow{3000, 5000}));
    EXPECT_EQ(chart.fields,
              (std::vector<ChartField>{{m_price, "Price", ReadingFieldType::number, false},
                                       {m_stock, "Stock", ReadingFieldType::text, false},
                                       {m_former, "Old", ReadingFieldType::text, true}}));
    EXPECT_EQ(chart.samples,
              (std::vector<ChartReading>{{c1, m_price, 1000, 1, "Price", n(1)},
                                         {c1, m_stock, 1000, 1, "Stock", t("a")},
                                         {c1, m_former, 1000, 1, "Old", t("x")},
                                         {c3, m_price, 3000, 3, "Price", n(3)},
                                         {c4, m_stock, 4000, 4, "Stock (old name)", t("d")},
                                         {c4, m_price, 4000, 4, "Price", n(4)},
                                         {c5, m_price, 5000, 5, "Price", n(5)}}));
    EXPECT_EQ(chart.checks,
              (std::vector<ChartCheckEvent>{{c3, 3000, std::nullopt, {m_price}},
                                            {c4, 4000, std::nullopt, {m_price, m_stock}}}));

    const ChartSnapshot earlier = snapshot(1500, 2500);
    ASSERT_EQ(earlier.checks.size(), 1u);
    EXPECT_EQ(earlier.checks.front().failure, MonitorCheckFailure("cancelled", "Execution cancelled."));
    EXPECT_TRUE(earlier.checks.front().fieldIDs.empty());
    EXPECT_EQ(earlier.samples.size(), 5u); // the three of c1 before it, Price and Stock after it
}

TEST_F(ChartSnapshotReaderTest, allTimeStartsAtTheFirstCheckOrCoversAWeekWithoutChecks)
{
    saveWorkflow(sampleDocument(m_model, {{numberField("Price", m_price)}}));
    const ChartSnapshot empty = snapshot(std::nullopt, 1'000'000'000);
    EXPECT_EQ(empty.window, (ChartWindow{1'000'000'000 - 604'800'000, 1'000'000'000}));
    EXPECT_TRUE(empty.samples.empty());
    EXPECT_TRUE(empty.checks.empty());
    EXPECT_EQ(empty.fields, (std::vector<ChartField>{{m_price, "Price", ReadingFieldType::number, false}}));

    addCheck(9'500, {{m_price, "Price", ReadingValue::ofNumber(2)}});
    EXPECT_EQ(snapshot(std::nullopt, 10'000).window, (ChartWindow{9'000, 10'000}));
    addCheck(2'000, {});
    const ChartSnapshot all = snapshot(std::nullopt, 10'000);
    EXPECT_EQ(all.window, (ChartWindow{2'000, 10'000}));
    EXPECT_EQ(all.checks.size(), 2u);
}

TEST_F(ChartSnapshotReaderTest, checksWithOneStartTimeFollowTheirIdsAndFormerFieldsTheirNames)
{
    const auto n = ReadingValue::ofNumber(1);
    const Uuid lowerCaseAlpha = uuid(1);
    const Uuid upperCaseAlpha = uuid(2);
    addCheck(100, {{uuid(3), "beta", n}, {upperCaseAlpha, "Alpha", n}}, uuid(20));
    addCheck(100, {{lowerCaseAlpha, "alpha", n}}, uuid(10));
    addCheck(100, {{uuid(4), "\xC3\xA1lpha", n}}, uuid(30));

    const ChartSnapshot chart = snapshot(0, 1000);
    std::vector<Uuid> order;
    for (const ChartCheckEvent& check : chart.checks) {
        order.push_back(check.id);
    }
    EXPECT_EQ(order, (std::vector<Uuid>{uuid(10), uuid(20), uuid(30)}));
    EXPECT_EQ(chart.samples.front().checkID, uuid(10));
    EXPECT_EQ(chart.samples.back().ordinal, 3);

    // No saved workflow: every field is a former one, by name ignoring case, equal names by id.
    std::vector<std::string> names;
    for (const ChartField& field : chart.fields) {
        EXPECT_TRUE(field.isNoLongerTracked);
        names.push_back(field.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"alpha", "Alpha", "\xC3\xA1lpha", "beta"}));
}

TEST_F(ChartSnapshotReaderTest, storedDataThatBreaksTheRulesFailsTheWholeSnapshot)
{
    const Uuid failedCheck = addCheck(100, {{m_price, "Price", ReadingValue::ofNumber(1)}});
    execute("UPDATE monitor_checks SET error_code = 'x', error_message = 'y' WHERE id = '" +
            failedCheck.lowercaseString() + "'");
    EXPECT_EQ(storeErrorOf(m_reader.chartSnapshot(m_monitor, {0, 1000})), MonitorStoreError::invalidStoredData());
    // Outside the window the same check is only a neighbour reading and the snapshot reads.
    EXPECT_EQ(snapshot(200, 1000).checks.size(), 0u);

    execute("DELETE FROM monitor_checks");
    addCheck(
        100, {}, Uuid::random(), MonitorCheckFailure("provider_http_500", std::string(5000, 'm') + "\xE2\x82\xAC"));
    EXPECT_EQ(snapshot(0, 1000).checks.front().failure->message(), std::string(4096, 'm'));
    execute("UPDATE monitor_checks SET error_message = printf('%.*c', 4095, 'm') || char(8364)");
    EXPECT_EQ(snapshot(0, 1000).checks.front().failure->message(), std::string(4095, 'm'));

    StepsDocument twice = sampleDocument(m_model, {{numberField("Price", m_price)}, {numberField("Again", m_price)}});
    execute("INSERT INTO monitor_steps VALUES ('" + m_monitor.lowercaseString() + "', 1, 1, '" + twice.encodeStored() +
            "')");
    EXPECT_EQ(storeErrorOf(m_reader.chartSnapshot(m_monitor, {0, 1000})), MonitorStoreError::invalidStoredData());
    execute("UPDATE monitor_steps SET format_version = 2");
    EXPECT_EQ(storeErrorOf(m_reader.chartSnapshot(m_monitor, {0, 1000})), MonitorStoreError::unsupportedStepsFormat(2));

    EXPECT_EQ(storeErrorOf(m_reader.chartSnapshot(Uuid::random(), {0, 1000})), MonitorStoreError::missingMonitor());
    std::stop_source stopped;
    stopped.request_stop();
    EXPECT_EQ(storeErrorOf(m_reader.chartSnapshot(m_monitor, {0, 1000}, stopped.get_token())),
              MonitorStoreError::interrupted());
}

} // namespace
} // namespace tavlen
