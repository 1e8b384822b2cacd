#pragma once

#include "ChartsDataSource.h"
#include "HistoryDataSource.h"
#include "MonitorCheckStore.h"

namespace tavlen::test {

// Forwards the charts and history models' reads to a check-result store, as the steps store does.
class CheckStoreSource final : public ChartsDataSource, public HistoryDataSource
{
public:
    explicit CheckStoreSource(MonitorCheckStore& store)
        : m_store(store)
    {}

    QCoro::Task<ChartSnapshot> loadSnapshot(Uuid monitorID, ChartRange range) override
    {
        auto loading = m_store.loadChartData(
            monitorID, range.startMilliseconds.value_or(0), !range.startMilliseconds, range.endMilliseconds);
        co_return co_await std::move(loading);
    }

    QCoro::Task<std::vector<MonitorCheck>>
    loadChecks(Uuid monitorID, std::optional<MonitorCheckCursor> cursor, int limit) override
    {
        auto loading = m_store.loadHistoryPage(monitorID, cursor, limit);
        co_return co_await std::move(loading);
    }

    QCoro::Task<std::vector<Reading>> loadReadings(Uuid checkID) override
    {
        auto loading = m_store.loadCheckRecord(checkID);
        co_return co_await std::move(loading);
    }

    QCoro::Task<void> deleteCheck(Uuid monitorID, Uuid checkID) override
    {
        auto deleting = m_store.deleteCheck(monitorID, checkID);
        co_await std::move(deleting);
    }

private:
    MonitorCheckStore& m_store;
};

} // namespace tavlen::test
