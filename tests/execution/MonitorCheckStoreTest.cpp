#include "MonitorCheckStore.h"

#include "ChartSnapshotReader.h"
#include "MonitorCheckError.h"
#include "SQLiteMonitorCheckRepository.h"
#include "WorkspaceFixture.h"

#include <QObject>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace tavlen::test {
namespace {

// The store over a real workspace file.
class MonitorCheckStoreTest : public WorkspaceFixture
{
protected:
    MonitorCheckRecord check(const Uuid& monitorID, std::int64_t startedAt)
    {
        std::vector<Reading> readings{{Uuid::random(), "Price", ReadingValue::ofNumber(12.5)},
                                      {Uuid::random(), "Title", ReadingValue::ofText("Kettle")}};
        return {MonitorCheck{Uuid::random(), monitorID, startedAt, startedAt + 10, std::nullopt, 2, std::nullopt},
                std::move(readings)};
    }

    std::int64_t storedChecks() { return count("monitor_checks"); }

    std::shared_ptr<SQLiteMonitorCheckRepository> m_repository =
        std::make_shared<SQLiteMonitorCheckRepository>(m_database);
    MonitorCheckStore m_store{m_repository, std::make_shared<ChartSnapshotReader>(m_database)};
    Uuid m_monitor = insertMonitor();
};

TEST_F(MonitorCheckStoreTest, recordedResult_isWrittenAndLeavesNothingPending)
{
    std::vector<bool> storing;
    QObject::connect(&m_store, &MonitorCheckStore::storingResultsChanged, [&] {
        storing.push_back(m_store.storingResults().contains(m_monitor));
    });
    const MonitorCheckRecord record = check(m_monitor, 100);
    finish(m_store.recordResult(record));

    EXPECT_EQ(storing, (std::vector<bool>{true, false}));
    EXPECT_TRUE(m_store.pendingResults().empty());
    EXPECT_TRUE(m_store.resultStorageErrors().empty());
    EXPECT_EQ(m_store.checksRevision(), 1);
    EXPECT_EQ(finish(m_store.loadCheckRecord(record.check.id)), record.readings);
    const std::vector<MonitorCheck> history = finish(m_store.loadHistoryPage(m_monitor, std::nullopt, 51));
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0], record.check);
}

TEST_F(MonitorCheckStoreTest, failedWrite_keepsTheRecordAndTheRetryStoresItOnce)
{
    const Uuid later = Uuid::random(); // a monitor whose row is not there yet: the write fails in the database
    const MonitorCheckRecord record = check(later, 100);
    finish(m_store.recordResult(record));

    ASSERT_TRUE(m_store.pendingResults().contains(later));
    EXPECT_EQ(m_store.pendingResults().at(later), record);
    ASSERT_TRUE(m_store.resultStorageErrors().contains(later));
    EXPECT_TRUE(m_store.storingResults().empty());
    EXPECT_EQ(m_store.checksRevision(), 0);
    EXPECT_EQ(storedChecks(), 0);

    insertMonitor("Later", 1000, later);
    finish(m_store.storePendingResult(later));
    EXPECT_TRUE(m_store.pendingResults().empty());
    EXPECT_TRUE(m_store.resultStorageErrors().empty());
    EXPECT_EQ(m_store.checksRevision(), 1);
    EXPECT_EQ(storedChecks(), 1);
    EXPECT_EQ(finish(m_store.loadCheckRecord(record.check.id)), record.readings);

    // Storing again finds nothing pending.
    finish(m_store.storePendingResult(later));
    EXPECT_EQ(m_store.checksRevision(), 1);
}

TEST_F(MonitorCheckStoreTest, invalidRecord_failsLikeAWriteOnEveryRetry)
{
    MonitorCheckRecord broken = check(m_monitor, 100);
    broken.check.completedAtMilliseconds = 50; // ends before it starts
    finish(m_store.recordResult(broken));
    finish(m_store.storePendingResult(m_monitor));
    ASSERT_TRUE(m_store.resultStorageErrors().contains(m_monitor));
    EXPECT_EQ(m_store.resultStorageErrors().at(m_monitor), MonitorStoreError::invalidStoredData());
    EXPECT_EQ(storedChecks(), 0);

    // Deleting the pending check discards it with its error.
    EXPECT_TRUE(finish(m_store.deleteCheck(m_monitor, broken.check.id)));
    EXPECT_TRUE(m_store.pendingResults().empty());
    EXPECT_TRUE(m_store.resultStorageErrors().empty());
    EXPECT_EQ(m_store.checksRevision(), 1);
}

TEST_F(MonitorCheckStoreTest, successfulWrite_removesOnlyTheRecordItWrote)
{
    const MonitorCheckRecord first = check(m_monitor, 100);
    const MonitorCheckRecord second = check(m_monitor, 200);
    auto writing = m_store.recordResult(first);
    ASSERT_TRUE(m_store.storingResults().contains(m_monitor));
    // A newer result arrives while the first is written: it waits for that write and starts none of its own.
    auto replacing = m_store.recordResult(second);
    finish(std::move(writing));
    finish(std::move(replacing));

    ASSERT_TRUE(m_store.pendingResults().contains(m_monitor));
    EXPECT_EQ(m_store.pendingResults().at(m_monitor).check.id, second.check.id);
    EXPECT_EQ(storedChecks(), 1);

    finish(m_store.storePendingResult(m_monitor));
    EXPECT_TRUE(m_store.pendingResults().empty());
    EXPECT_EQ(storedChecks(), 2);
    EXPECT_EQ(m_store.checksRevision(), 2);
}

TEST_F(MonitorCheckStoreTest, concurrentStores_shareOneWrite)
{
    const MonitorCheckRecord record = check(m_monitor, 100);
    int revisions = 0;
    QObject::connect(&m_store, &MonitorCheckStore::checksRevisionChanged, [&] { ++revisions; });
    auto first = m_store.recordResult(record);
    auto second = m_store.storePendingResult(m_monitor);
    auto waiting = m_store.waitForResultWrite(m_monitor);
    finish(std::move(second));
    EXPECT_TRUE(m_store.storingResults().empty()) << "the second call returned only when the write had ended";
    finish(std::move(first));
    finish(std::move(waiting));
    EXPECT_EQ(revisions, 1);
    EXPECT_EQ(storedChecks(), 1);

    // Nothing pending: nothing to do, at once.
    finish(m_store.storePendingResult(m_monitor));
    finish(m_store.waitForResultWrite(m_monitor));
    EXPECT_EQ(revisions, 1);
}

TEST_F(MonitorCheckStoreTest, withoutRepository_resultsStayPendingAndReadsFail)
{
    MonitorCheckStore unavailable(nullptr);
    const MonitorCheckRecord record = check(m_monitor, 100);
    finish(unavailable.recordResult(record));
    EXPECT_TRUE(unavailable.pendingResults().contains(m_monitor));
    EXPECT_TRUE(unavailable.resultStorageErrors().empty());
    EXPECT_EQ(unavailable.checksRevision(), 0);
    EXPECT_EQ(storeErrorOf(unavailable.loadHistoryPage(m_monitor, std::nullopt, 51)), MonitorStoreError::storage());
    EXPECT_EQ(storeErrorOf(unavailable.loadCheckRecord(record.check.id)), MonitorStoreError::storage());
    EXPECT_EQ(storeErrorOf(unavailable.deleteCheck(m_monitor, record.check.id)), MonitorStoreError::storage());
    EXPECT_EQ(storeErrorOf(unavailable.loadChartData(m_monitor, 0, false, 10)), MonitorStoreError::storage());
}

TEST_F(MonitorCheckStoreTest, deletions_reportWhetherTheCheckWasPendingAndRefuseASecondAtOnce)
{
    const MonitorCheckRecord stored = check(m_monitor, 100);
    finish(m_store.recordResult(stored));

    auto deleting = m_store.deleteCheck(m_monitor, stored.check.id);
    EXPECT_TRUE(m_store.deletingChecks().contains(stored.check.id));
    EXPECT_EQ(storeErrorOf(m_store.deleteCheck(m_monitor, stored.check.id)), MonitorStoreError::busy());
    EXPECT_FALSE(finish(std::move(deleting)));
    EXPECT_TRUE(m_store.deletingChecks().empty());
    EXPECT_EQ(m_store.checksRevision(), 2);
    EXPECT_EQ(storedChecks(), 0);

    try {
        finish(m_store.loadCheckRecord(stored.check.id));
        ADD_FAILURE() << "the check was read after its deletion";
    } catch (const MonitorCheckError&) {
    }
}

TEST_F(MonitorCheckStoreTest, retention_dropsGoneMonitorsAndTheirLaterWriteErrors)
{
    const Uuid gone = Uuid::random();
    finish(m_store.recordResult(check(gone, 100)));
    ASSERT_TRUE(m_store.resultStorageErrors().contains(gone));

    int pendingChanges = 0;
    QObject::connect(&m_store, &MonitorCheckStore::pendingResultsChanged, [&] { ++pendingChanges; });
    m_store.retainMonitors({m_monitor});
    EXPECT_TRUE(m_store.pendingResults().empty());
    EXPECT_TRUE(m_store.resultStorageErrors().empty());
    m_store.retainMonitors({m_monitor});
    EXPECT_EQ(pendingChanges, 1) << "an equal retention notifies nothing";

    // A write of a monitor that is no longer retained fails without an error.
    const Uuid removed = Uuid::random();
    finish(m_store.recordResult(check(removed, 200)));
    EXPECT_FALSE(m_store.resultStorageErrors().contains(removed));
    EXPECT_TRUE(m_store.pendingResults().contains(removed));

    m_store.retainMonitors({});
    EXPECT_TRUE(m_store.pendingResults().empty());
}

TEST_F(MonitorCheckStoreTest, chartData_needsAStartBeforeTheEndUnlessWholeHistory)
{
    finish(m_store.recordResult(check(m_monitor, 100)));
    EXPECT_EQ(storeErrorOf(m_store.loadChartData(m_monitor, 500, false, 500)),
              MonitorStoreError::validation("Choose a start time before the end time."));
    EXPECT_EQ(storeErrorOf(m_store.loadChartData(m_monitor, 600, false, 500)),
              MonitorStoreError::validation("Choose a start time before the end time."));
    const ChartSnapshot whole = finish(m_store.loadChartData(m_monitor, 500, true, 500));
    const ChartSnapshot window = finish(m_store.loadChartData(m_monitor, 0, false, 1000));
    EXPECT_EQ(whole.checks.size(), 1u);
    EXPECT_EQ(window.checks.size(), 1u);
    EXPECT_EQ(storeErrorOf(m_store.loadChartData(Uuid::random(), 0, true, 1000)), MonitorStoreError::missingMonitor());
}

} // namespace
} // namespace tavlen::test
