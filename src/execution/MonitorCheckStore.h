#pragma once

// moc cannot parse the C++20 standard headers that these pull in; it needs none of them.
#ifndef Q_MOC_RUN
#include "ChartSnapshot.h"
#include "MonitorCheck.h"
#include "MonitorCheckCursor.h"
#include "MonitorCheckRecord.h"
#include "MonitorStoreError.h"
#include "Reading.h"
#include "TaskHandle.h"
#include "Uuid.h"
#endif

#include <QCoroTask>
#include <QObject>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stop_token>
#include <vector>

namespace tavlen {

class ChartSnapshotReader;
class MonitorCheckRepository;

// The finished checks of manual and scheduled runs on their way into the workspace file: each monitor's pending
// result, one write task per monitor, the error of a failed write until a retry, and the reads and deletions of
// the history and chart views. Observable; main thread only.
class MonitorCheckStore : public QObject
{
    Q_OBJECT

public:
    // Without a check repository check storage is unavailable: results stay pending and reads fail with
    // MonitorStoreError::storage. Chart reads also need the chart reader.
    explicit MonitorCheckStore(std::shared_ptr<MonitorCheckRepository> checkRepository,
                               std::shared_ptr<ChartSnapshotReader> chartReader = nullptr,
                               QObject* parent = nullptr);

    // Grows by one after every successful result write and every successful deletion of a check.
    std::int64_t checksRevision() const { return m_checksRevision; }

    // The error of each monitor's last failed result write.
    const std::map<Uuid, MonitorStoreError>& resultStorageErrors() const { return m_resultStorageErrors; }

    // Each monitor's finished check that is not stored yet.
    const std::map<Uuid, MonitorCheckRecord>& pendingResults() const { return m_pendingResults; }

    // Monitors whose result write runs.
    const std::set<Uuid>& storingResults() const { return m_storingResults; }

    // Checks whose deletion runs.
    const std::set<Uuid>& deletingChecks() const { return m_deletingChecks; }

    // The monitors that still exist, as the workspace last reported them.
    const std::optional<std::set<Uuid>>& retainedMonitorIDs() const { return m_retainedMonitorIDs; }

    MonitorCheckRepository* checkRepository() const { return m_checkRepository.get(); }

    // Makes the record its monitor's pending result and stores it; returns once that attempt has ended.
    QCoro::Task<void> recordResult(MonitorCheckRecord record);
    // Writes the monitor's pending result, or waits for the monitor's running write and starts none: the retry
    // after a failed write. Leaves the record pending, silently, without a repository or while its check is being
    // deleted. Never throws; a failed write is kept in resultStorageErrors.
    QCoro::Task<void> storePendingResult(Uuid monitorID);
    // Waits for the monitor's running result write, if any.
    QCoro::Task<void> waitForResultWrite(Uuid monitorID);

    // A page of the monitor's stored checks, newest first, older than the cursor. Throws MonitorStoreError
    // (interrupted once the token stops).
    QCoro::Task<std::vector<MonitorCheck>>
    loadHistoryPage(Uuid monitorID, std::optional<MonitorCheckCursor> cursor, int limit, std::stop_token token = {});
    // The readings of one stored check. Throws MonitorStoreError, MonitorCheckError::missingCheck.
    QCoro::Task<std::vector<Reading>> loadCheckRecord(Uuid checkID);
    // Deletes one check; an unstored pending result is discarded with it. Gives true when the check was the
    // monitor's pending result. Throws MonitorStoreError (busy while the same check is being deleted).
    QCoro::Task<bool> deleteCheck(Uuid monitorID, Uuid checkID);
    // The chart data of the monitor from start to end (milliseconds since 1970), or of its whole history.
    // Throws MonitorStoreError (validation when start is not before end without wholeHistory, interrupted once the
    // token stops).
    QCoro::Task<ChartSnapshot> loadChartData(Uuid monitorID,
                                             std::int64_t startMilliseconds,
                                             bool wholeHistory,
                                             std::int64_t endMilliseconds,
                                             std::stop_token token = {});

    // Forgets the pending results and write errors of monitors that are gone. Running writes go on.
    void retainMonitors(std::set<Uuid> monitorIDs);

Q_SIGNALS:
    void checksRevisionChanged();
    void resultStorageErrorsChanged();
    void pendingResultsChanged();
    void storingResultsChanged();
    void deletingChecksChanged();
    void retainedMonitorIDsChanged();

private:
    TaskHandle<void> startWrite(const Uuid& monitorID, MonitorCheckRecord record);
    void finishWrite(const Uuid& monitorID, const Uuid& checkID, const std::exception_ptr& error);
    void eraseDeleting(const Uuid& checkID);

    std::int64_t m_checksRevision = 0;
    std::map<Uuid, MonitorStoreError> m_resultStorageErrors;
    std::map<Uuid, MonitorCheckRecord> m_pendingResults;
    std::set<Uuid> m_storingResults;
    std::set<Uuid> m_deletingChecks;
    std::optional<std::set<Uuid>> m_retainedMonitorIDs;
    std::shared_ptr<MonitorCheckRepository> m_checkRepository;
    std::shared_ptr<ChartSnapshotReader> m_chartReader;
    std::map<Uuid, TaskHandle<void>> m_resultWrites;
};

} // namespace tavlen
