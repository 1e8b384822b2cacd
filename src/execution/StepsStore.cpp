#include "StepsStore.h"

#include "MainThread.h"
#include "ModelSettings.h"

#include <QPointer>

namespace tavlen {

StepsStore::StepsStore(StepsRepository& repository,
                       StepsScreenshotCapturing& captureService,
                       StepsReader* readingService,
                       std::shared_ptr<MonitorCheckRepository> checkRepository,
                       std::shared_ptr<ChartSnapshotReader> chartReader,
                       BrowserCaptureSettings defaultCapture,
                       const TimeSource& time)
    : m_state(std::make_unique<StepsStoreState>())
    , m_executor(std::make_shared<StepsExecutor>(captureService, readingService, time))
    , m_results(std::make_shared<MonitorCheckStore>(std::move(checkRepository), std::move(chartReader)))
    , m_gate(*m_state, *m_results, *m_executor, captureService)
    , m_control(*m_state, *m_results)
    , m_settlement(*m_state, *m_executor, *m_results, time)
    , m_editing(*m_state, repository, m_gate, m_control, defaultCapture)
    , m_executions(*m_state, repository, m_executor, m_gate, m_control, m_settlement, defaultCapture)
    , m_retention(*m_state, *m_results, *m_executor, m_gate, m_control)
{}

StepsStore::~StepsStore()
{
    // Cancels the tasks the state owns before the parts they use go; each ends at its next wait without
    // touching the store.
    m_state.reset();
}

void StepsStore::setModels(std::optional<StepsStoreState::ConfiguredModels> models)
{
    m_state->setModels(std::move(models));
}

std::shared_ptr<StepsSession> StepsStore::session(const Uuid& monitorID) const
{
    return m_state->session(monitorID);
}

std::vector<Uuid> StepsStore::sessionMonitorIDs() const
{
    std::vector<Uuid> monitorIDs;
    for (const auto& entry : m_state->sessions()) {
        monitorIDs.push_back(entry.first);
    }
    return monitorIDs;
}

void StepsStore::setModels(ModelSettings& settings)
{
    setModels([settings = QPointer<ModelSettings>(&settings)] {
        return settings ? settings->registry().models : std::vector<ConfiguredModel>{};
    });
}

void StepsStore::setMonitorCheckUnavailableReason(UnavailableReason reason)
{
    Q_ASSERT(isMainThread());
    m_state->monitorCheckUnavailableReason = std::move(reason);
}

void StepsStore::setIsNavigating(bool isNavigating)
{
    m_state->setIsNavigating(isNavigating);
}

std::optional<StepsExecutionProgress> StepsStore::executionProgress(const Uuid& monitorID) const
{
    return m_gate.executionProgress(monitorID);
}

std::optional<std::string>
StepsStore::executionBlocker(const Uuid& monitorID, const Uuid& stepID, bool includeAll) const
{
    return m_gate.executionBlocker(monitorID, stepID, includeAll);
}

std::optional<std::string> StepsStore::unavailableReason(const Uuid& monitorID) const
{
    return m_gate.unavailableReason(monitorID);
}

QCoro::Task<void> StepsStore::loadSteps(Uuid monitorID, bool force)
{
    return m_editing.loadSteps(monitorID, force);
}

QCoro::Task<void> StepsStore::reloadSteps(Uuid monitorID)
{
    return m_editing.reloadSteps(monitorID);
}

QCoro::Task<bool> StepsStore::saveSteps(Uuid monitorID, StepsWrite write)
{
    return m_editing.saveSteps(monitorID, std::move(write));
}

QCoro::Task<void> StepsStore::discardChanges(Uuid monitorID)
{
    return m_editing.discardChanges(monitorID);
}

QCoro::Task<void> StepsStore::waitUntilIdle(bool forTermination)
{
    return m_control.waitUntilIdle(forTermination);
}

QCoro::Task<void> StepsStore::waitForMonitorTasks(Uuid monitorID, StepsStopMode mode)
{
    return m_control.waitForMonitorTasks(monitorID, mode);
}

QCoro::Task<void> StepsStore::waitForMonitorTasks(Uuid monitorID)
{
    return m_control.waitForMonitorTasks(monitorID, StepsStopMode::interactive);
}

QCoro::Task<void> StepsStore::stopExecution(Uuid monitorID, StepsStopMode mode)
{
    return m_control.stopExecution(monitorID, mode);
}

void StepsStore::cancelExecution(const Uuid& monitorID)
{
    m_control.cancelExecution(monitorID);
}

void StepsStore::startExecution(const Uuid& monitorID, const StepsExecutionMode& mode)
{
    m_executions.startExecution(monitorID, mode);
}

QCoro::Task<void> StepsStore::beginDeletingMonitor(Uuid monitorID)
{
    return m_retention.beginDeletingMonitor(monitorID);
}

void StepsStore::endDeletingMonitor(const Uuid& monitorID)
{
    m_retention.endDeletingMonitor(monitorID);
}

void StepsStore::retainMonitors(const std::set<Uuid>& monitorIDs)
{
    m_retention.retainMonitors(monitorIDs);
}

QCoro::Task<void> StepsStore::retryStoringResult(Uuid monitorID)
{
    return m_retention.retryStoringResult(monitorID);
}

void StepsStore::cancelReadingForProvider(ModelSelection::Provider provider)
{
    m_retention.cancelReadingForProvider(provider);
}

bool StepsStore::canRunScheduledCheck(const Uuid& monitorID) const
{
    return m_gate.canRunScheduledCheck(monitorID);
}

bool StepsStore::startScheduledCheck(const QueuedCheck& check, Claim claim, ClaimFailure onClaimFailure)
{
    return m_executions.startScheduledCheck(check, std::move(claim), std::move(onClaimFailure));
}

void StepsStore::setOnExecutionSettled(std::function<void()> handler)
{
    Q_ASSERT(isMainThread());
    m_state->onExecutionSettled = std::move(handler);
}

QCoro::Task<std::vector<MonitorCheck>>
StepsStore::loadChecks(Uuid monitorID, std::optional<MonitorCheckCursor> cursor, int limit, std::stop_token token)
{
    return m_results->loadHistoryPage(monitorID, cursor, limit, std::move(token));
}

QCoro::Task<std::vector<Reading>> StepsStore::loadReadings(Uuid checkID)
{
    return m_results->loadCheckRecord(checkID);
}

QCoro::Task<void> StepsStore::deleteCheck(Uuid monitorID, Uuid checkID)
{
    return m_retention.deleteCheck(monitorID, checkID);
}

QCoro::Task<ChartSnapshot> StepsStore::loadSnapshot(Uuid monitorID, ChartRange range, std::stop_token token)
{
    return m_results->loadChartData(monitorID,
                                    range.startMilliseconds.value_or(0),
                                    !range.startMilliseconds,
                                    range.endMilliseconds,
                                    std::move(token));
}

} // namespace tavlen
