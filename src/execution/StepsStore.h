#pragma once

#include "BrowserCaptureSettings.h"
#include "ChartsDataSource.h"
#include "Date.h"
#include "HistoryDataSource.h"
#include "ModelSelection.h"
#include "MonitorCheckStore.h"
#include "ScheduledCheckRunner.h"
#include "StepsEditing.h"
#include "StepsExecutionControl.h"
#include "StepsExecutions.h"
#include "StepsExecutor.h"
#include "StepsMonitorRetention.h"
#include "StepsRunGate.h"
#include "StepsSettlement.h"
#include "StepsStoreState.h"
#include "TimeSource.h"
#include "WorkspaceStepsStore.h"

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>

namespace tavlen {

class ChartSnapshotReader;
class ModelSettings;
class MonitorCheckRepository;
class StepsReader;
class StepsRepository;
class StepsScreenshotCapturing;

// The single owner of everything between the Steps editor and storage: each monitor's editing session, the one
// execution that runs at a time in the whole application (a step test, a manual check or a scheduled check), the
// latest outcome of each monitor, the per-monitor load and save tasks and the monitors being deleted. One for the
// life of the process, on the main thread; its observable state is state(). It serves the scheduler, and the
// history and charts models through its check-result store.
//
// Its tasks belong to it: destroy it only once idle (waitUntilIdle(true)); a task still running then ends
// without touching anything.
class StepsStore final : public ScheduledCheckRunner,
                         public WorkspaceStepsStore,
                         public HistoryDataSource,
                         public ChartsDataSource
{
public:
    // The repository, the capture service and the reader (absent: Read steps fail) must outlive the store.
    // Without a check repository checks cannot be stored, nor without the chart reader charts be read. New
    // drafts get the default capture settings; time dates stored checks and keeps the executor's waits.
    StepsStore(StepsRepository& repository,
               StepsScreenshotCapturing& captureService,
               StepsReader* readingService,
               std::shared_ptr<MonitorCheckRepository> checkRepository,
               std::shared_ptr<ChartSnapshotReader> chartReader,
               BrowserCaptureSettings defaultCapture,
               const TimeSource& time = systemTime());
    ~StepsStore() override;

    StepsStore(const StepsStore&) = delete;
    StepsStore& operator=(const StepsStore&) = delete;

    // Read-only: only the store's own parts change it.
    const StepsStoreState& state() const { return *m_state; }

    StepsExecutor& executor() { return *m_executor; }

    MonitorCheckStore& results() { return *m_results; }

    const StepsRunGate& gate() const { return m_gate; }

    // The configured models, installed by whoever builds the store and the model settings.
    void setModels(std::optional<StepsStoreState::ConfiguredModels> models);
    // The registry of the application's model settings, read anew at each use; none once they are gone.
    void setModels(ModelSettings& settings);

    // WorkspaceStepsStore: the sessions, the navigation flag and the workspace's own run-gate reason.
    std::shared_ptr<StepsSession> session(const Uuid& monitorID) const override;
    std::vector<Uuid> sessionMonitorIDs() const override;

    bool isNavigating() const override { return m_state->isNavigating(); }

    void setIsNavigating(bool isNavigating) override;
    void setMonitorCheckUnavailableReason(UnavailableReason reason) override;

    // The run gate (StepsRunGate).
    bool isBusy() const { return m_gate.isBusy(); }

    bool isRunningSteps(const Uuid& monitorID) const override { return m_gate.isRunningSteps(monitorID); }

    std::optional<StepsExecutionProgress> executionProgress(const Uuid& monitorID) const;
    std::optional<std::string> executionBlocker(const Uuid& monitorID, const Uuid& stepID, bool includeAll) const;
    std::optional<std::string> unavailableReason(const Uuid& monitorID) const;

    // Loading and saving (StepsEditing) and waiting (StepsExecutionControl).
    QCoro::Task<void> loadSteps(Uuid monitorID, bool force = false) override;
    QCoro::Task<void> reloadSteps(Uuid monitorID) override;
    QCoro::Task<bool> saveSteps(Uuid monitorID, StepsWrite write = {}) override;
    QCoro::Task<void> discardChanges(Uuid monitorID) override;
    QCoro::Task<void> waitUntilIdle(bool forTermination) override;
    QCoro::Task<void> waitForMonitorTasks(Uuid monitorID, StepsStopMode mode);
    // A discard's wait: the monitor's step test or manual check is cancelled, a scheduled check left alone.
    QCoro::Task<void> waitForMonitorTasks(Uuid monitorID) override;
    QCoro::Task<void> stopExecution(Uuid monitorID, StepsStopMode mode);
    void cancelExecution(const Uuid& monitorID);

    // Executions (StepsExecutions).
    void startExecution(const Uuid& monitorID, const StepsExecutionMode& mode);

    // Monitors and stored checks (StepsMonitorRetention).
    QCoro::Task<void> beginDeletingMonitor(Uuid monitorID) override;
    void endDeletingMonitor(const Uuid& monitorID) override;
    void retainMonitors(const std::set<Uuid>& monitorIDs) override;
    QCoro::Task<void> retryStoringResult(Uuid monitorID);
    void cancelReadingForProvider(ModelSelection::Provider provider);

    // ScheduledCheckRunner.
    bool canStartScheduledCheck() const override { return m_gate.canStartScheduledCheck(); }

    bool canRunScheduledCheck(const Uuid& monitorID) const override;
    bool startScheduledCheck(const QueuedCheck& check, Claim claim, ClaimFailure onClaimFailure) override;
    void setOnExecutionSettled(std::function<void()> handler) override;

    // HistoryDataSource and ChartsDataSource, through the check-result store.
    QCoro::Task<std::vector<MonitorCheck>> loadChecks(Uuid monitorID,
                                                      std::optional<MonitorCheckCursor> cursor,
                                                      int limit,
                                                      std::stop_token token = {}) override;
    QCoro::Task<std::vector<Reading>> loadReadings(Uuid checkID) override;
    QCoro::Task<void> deleteCheck(Uuid monitorID, Uuid checkID) override;
    QCoro::Task<ChartSnapshot> loadSnapshot(Uuid monitorID, ChartRange range, std::stop_token token = {}) override;

private:
    // The state first: the parts below hold it, and the tasks it owns are cancelled when it goes.
    std::unique_ptr<StepsStoreState> m_state;
    std::shared_ptr<StepsExecutor> m_executor;
    std::shared_ptr<MonitorCheckStore> m_results;
    StepsRunGate m_gate;
    StepsExecutionControl m_control;
    StepsSettlement m_settlement;
    StepsEditing m_editing;
    StepsExecutions m_executions;
    StepsMonitorRetention m_retention;
};

} // namespace tavlen
