#include "MonitorCheckStore.h"

#include "Background.h"
#include "ChartRange.h"
#include "ChartSnapshotReader.h"
#include "ExecutionLog.h"
#include "ExecutionText.h"
#include "MainThread.h"
#include "MonitorCheckRepository.h"

#include <QPointer>

#include <exception>

namespace tavlen {

MonitorCheckStore::MonitorCheckStore(std::shared_ptr<MonitorCheckRepository> checkRepository,
                                     std::shared_ptr<ChartSnapshotReader> chartReader,
                                     QObject* parent)
    : QObject(parent)
    , m_checkRepository(std::move(checkRepository))
    , m_chartReader(std::move(chartReader))
{}

QCoro::Task<void> MonitorCheckStore::recordResult(MonitorCheckRecord record)
{
    Q_ASSERT(isMainThread());
    const Uuid monitorID = record.check.monitorID;
    m_pendingResults.insert_or_assign(monitorID, std::move(record));
    Q_EMIT pendingResultsChanged();
    auto storing = storePendingResult(monitorID);
    co_await std::move(storing);
}

QCoro::Task<void> MonitorCheckStore::storePendingResult(Uuid monitorID)
{
    Q_ASSERT(isMainThread());
    if (const auto running = m_resultWrites.find(monitorID); running != m_resultWrites.end()) {
        const TaskHandle<void> write = running->second;
        auto waiting = write.result();
        co_await std::move(waiting);
        co_return;
    }
    const auto pending = m_pendingResults.find(monitorID);
    if (pending == m_pendingResults.end() || m_deletingChecks.contains(pending->second.check.id) ||
        !m_checkRepository) {
        co_return;
    }
    m_storingResults.insert(monitorID);
    Q_EMIT storingResultsChanged();
    const TaskHandle<void> write = startWrite(monitorID, pending->second);
    // A write that ended without suspending has done its bookkeeping already.
    if (!write.isFinished()) {
        m_resultWrites.insert_or_assign(monitorID, write);
    }
    auto waiting = write.result();
    co_await std::move(waiting);
}

TaskHandle<void> MonitorCheckStore::startWrite(const Uuid& monitorID, MonitorCheckRecord record)
{
    // Not bound to the store: releasing the store cancels nothing, and the write still finishes.
    return TaskHandle<void>([store = QPointer<MonitorCheckStore>(this),
                             repository = m_checkRepository,
                             monitorID,
                             record = std::move(record)](std::stop_token) -> QCoro::Task<void> {
        std::exception_ptr error;
        try {
            auto validate = [record] { record.validate(); };
            auto validating = runInBackground(std::move(validate));
            co_await std::move(validating);
            auto writing = repository->record(record);
            co_await std::move(writing);
        } catch (...) {
            error = std::current_exception();
        }
        if (store) {
            store->finishWrite(monitorID, record.check.id, error);
        }
    });
}

void MonitorCheckStore::finishWrite(const Uuid& monitorID, const Uuid& checkID, const std::exception_ptr& error)
{
    Q_ASSERT(isMainThread());
    if (!error) {
        // Only the record that was written leaves: a newer result of the monitor recorded meanwhile stays pending.
        if (const auto pending = m_pendingResults.find(monitorID);
            pending != m_pendingResults.end() && pending->second.check.id == checkID) {
            m_pendingResults.erase(pending);
            Q_EMIT pendingResultsChanged();
        }
        if (m_resultStorageErrors.erase(monitorID) > 0) {
            Q_EMIT resultStorageErrorsChanged();
        }
        ++m_checksRevision;
        Q_EMIT checksRevisionChanged();
    } else if (!m_retainedMonitorIDs || m_retainedMonitorIDs->contains(monitorID)) {
        const MonitorStoreError failure = MonitorStoreError::from(error);
        qCWarning(executionLog) << "Storing a check result failed:" << failure.what();
        m_resultStorageErrors.insert_or_assign(monitorID, failure);
        Q_EMIT resultStorageErrorsChanged();
    }
    m_storingResults.erase(monitorID);
    m_resultWrites.erase(monitorID);
    Q_EMIT storingResultsChanged();
}

QCoro::Task<void> MonitorCheckStore::waitForResultWrite(Uuid monitorID)
{
    Q_ASSERT(isMainThread());
    if (const auto running = m_resultWrites.find(monitorID); running != m_resultWrites.end()) {
        const TaskHandle<void> write = running->second;
        auto waiting = write.result();
        co_await std::move(waiting);
    }
}

QCoro::Task<std::vector<MonitorCheck>> MonitorCheckStore::loadHistoryPage(Uuid monitorID,
                                                                          std::optional<MonitorCheckCursor> cursor,
                                                                          int limit,
                                                                          std::stop_token token)
{
    Q_ASSERT(isMainThread());
    if (!m_checkRepository) {
        throw MonitorStoreError::storage();
    }
    const std::shared_ptr<MonitorCheckRepository> repository = m_checkRepository;
    auto loading = repository->history(monitorID, cursor, limit, std::move(token));
    co_return co_await std::move(loading);
}

QCoro::Task<std::vector<Reading>> MonitorCheckStore::loadCheckRecord(Uuid checkID)
{
    Q_ASSERT(isMainThread());
    if (!m_checkRepository) {
        throw MonitorStoreError::storage();
    }
    const std::shared_ptr<MonitorCheckRepository> repository = m_checkRepository;
    auto loading = repository->checkRecord(checkID);
    co_return co_await std::move(loading);
}

QCoro::Task<bool> MonitorCheckStore::deleteCheck(Uuid monitorID, Uuid checkID)
{
    Q_ASSERT(isMainThread());
    if (!m_checkRepository) {
        throw MonitorStoreError::storage();
    }
    if (!m_deletingChecks.insert(checkID).second) {
        throw MonitorStoreError::busy();
    }
    Q_EMIT deletingChecksChanged();
    try {
        const auto pending = m_pendingResults.find(monitorID);
        const auto running = m_resultWrites.find(monitorID);
        if (pending != m_pendingResults.end() && pending->second.check.id == checkID &&
            running != m_resultWrites.end()) {
            const TaskHandle<void> write = running->second;
            auto waiting = write.result();
            co_await std::move(waiting);
        }
        const std::shared_ptr<MonitorCheckRepository> repository = m_checkRepository;
        auto deleting = repository->deleteCheck(monitorID, checkID);
        co_await std::move(deleting);
    } catch (...) {
        eraseDeleting(checkID);
        throw;
    }
    bool wasPending = false;
    if (const auto pending = m_pendingResults.find(monitorID);
        pending != m_pendingResults.end() && pending->second.check.id == checkID) {
        m_pendingResults.erase(pending);
        Q_EMIT pendingResultsChanged();
        if (m_resultStorageErrors.erase(monitorID) > 0) {
            Q_EMIT resultStorageErrorsChanged();
        }
        wasPending = true;
    }
    ++m_checksRevision;
    Q_EMIT checksRevisionChanged();
    eraseDeleting(checkID);
    co_return wasPending;
}

void MonitorCheckStore::eraseDeleting(const Uuid& checkID)
{
    m_deletingChecks.erase(checkID);
    Q_EMIT deletingChecksChanged();
}

QCoro::Task<ChartSnapshot> MonitorCheckStore::loadChartData(Uuid monitorID,
                                                            std::int64_t startMilliseconds,
                                                            bool wholeHistory,
                                                            std::int64_t endMilliseconds,
                                                            std::stop_token token)
{
    Q_ASSERT(isMainThread());
    if (!m_checkRepository || !m_chartReader) {
        throw MonitorStoreError::storage();
    }
    if (!wholeHistory && startMilliseconds >= endMilliseconds) {
        throw MonitorStoreError::validation(std::string(execution_text::chartRangeInverted));
    }
    ChartRange range;
    if (!wholeHistory) {
        range.startMilliseconds = startMilliseconds;
    }
    range.endMilliseconds = endMilliseconds;
    const std::shared_ptr<ChartSnapshotReader> reader = m_chartReader;
    auto loading = reader->chartSnapshot(monitorID, range, std::move(token));
    co_return co_await std::move(loading);
}

void MonitorCheckStore::retainMonitors(std::set<Uuid> monitorIDs)
{
    Q_ASSERT(isMainThread());
    std::map<Uuid, MonitorCheckRecord> pending;
    for (const auto& [monitorID, record] : m_pendingResults) {
        if (monitorIDs.contains(monitorID)) {
            pending.emplace(monitorID, record);
        }
    }
    std::map<Uuid, MonitorStoreError> errors;
    for (const auto& [monitorID, error] : m_resultStorageErrors) {
        if (monitorIDs.contains(monitorID)) {
            errors.emplace(monitorID, error);
        }
    }
    if (m_retainedMonitorIDs != monitorIDs) {
        m_retainedMonitorIDs = std::move(monitorIDs);
        Q_EMIT retainedMonitorIDsChanged();
    }
    if (pending.size() != m_pendingResults.size()) {
        m_pendingResults = std::move(pending);
        Q_EMIT pendingResultsChanged();
    }
    if (errors.size() != m_resultStorageErrors.size()) {
        m_resultStorageErrors = std::move(errors);
        Q_EMIT resultStorageErrorsChanged();
    }
}

} // namespace tavlen
