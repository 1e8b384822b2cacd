#pragma once

#include "MonitorWorkspaceState.h"

// moc cannot parse the C++20 standard headers that these pull in; it needs none of them.
#ifndef Q_MOC_RUN
#include "ChartPreset.h"
#include "MonitorChangeGates.h"
#include "MonitorChangesDiscarding.h"
#include "MonitorChangesSaving.h"
#include "MonitorCreation.h"
#include "MonitorDeletion.h"
#include "MonitorReordering.h"
#include "TaskHandle.h"
#include "WorkspaceStorageRetry.h"
#endif

#include <QCoroTask>

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stop_token>
#include <vector>

namespace tavlen {

class ModelSettings;
class MonitorRepository;
class WorkspaceStepsStore;

// The one state object behind the main window: the monitors in sidebar order, the selection, one changes draft
// per monitor, the sidebar summaries, the new-monitor sheet and the flags that keep workspace operations from
// overlapping. Every operation and task runs on the main thread; tasks touch the workspace only while it exists.
class MonitorWorkspace : public MonitorWorkspaceState
{
    Q_OBJECT

public:
    using Base = MonitorWorkspaceState;
    using LoadState = WorkspaceLoadState;
    using ChangeActivity = WorkspaceChangeActivity;
    // The leave check: true allows leaving the current monitor.
    using AllowNavigation = std::function<QCoro::Task<bool>()>;

    // Installs the workspace's run-blocked reason in the steps store, holding the workspace weakly. The model
    // settings are loaded again before every read of the monitor list; whoever builds the steps store gives it
    // the same models.
    explicit MonitorWorkspace(std::shared_ptr<MonitorRepository> repository,
                              std::shared_ptr<WorkspaceStepsStore> stepsStore = nullptr,
                              std::shared_ptr<ModelSettings> models = nullptr);
    ~MonitorWorkspace() override;

    MonitorRepository& repository() const { return *m_repository; }

    // For tasks that must keep the repository while they wait.
    const std::shared_ptr<MonitorRepository>& sharedRepository() const { return m_repository; }

    // Null without model settings.
    const std::shared_ptr<ModelSettings>& models() const { return m_models; }

    // Null without a steps store.
    const std::shared_ptr<WorkspaceStepsStore>& stepsStore() const { return m_stepsStore; }

    // Installed once by the application shell.
    void setAllowNavigation(AllowNavigation allow) { m_allowNavigation = std::move(allow); }

    const AllowNavigation& allowNavigation() const { return m_allowNavigation; }

    // Called whenever the stored monitors may have changed; installed once by the application shell.
    void setOnSchedulesChanged(std::function<void()> hook) { m_onSchedulesChanged = std::move(hook); }

    // Runs the first load; later calls do nothing.
    void start();
    // Starts a full read of the monitor list and returns at once. Does nothing while a workspace operation (a load
    // included) runs, so two loads never overlap.
    void load();
    // Puts one stored monitor into the list (replacing the one with its id, or appending it) without a full read.
    void applyMonitor(const Monitor& monitor);
    // Keeps one changes draft per monitor of the list (the one the caller stores in monitors()): drops the
    // others with their chart presets, updates the kept ones and creates the missing ones.
    void syncChangeDrafts(const std::vector<Monitor>& monitors, bool isReload);
    // Asks to select the monitor (none: no selection). With a leave check installed the change happens after it
    // allows leaving, and only while the monitor is still listed.
    void select(std::optional<Uuid> monitorID);

    // Reads the sidebar summaries and stores them (or the error) when no later refresh began meanwhile and the
    // stop was not requested. Never throws.
    QCoro::Task<void> refreshSidebarSummaries(std::stop_token stop = {});

    // The chart range last chosen for each listed monitor, in memory only.
    const std::map<Uuid, ChartPreset>& chartPresets() const { return m_chartPresets; }

    // The range the Charts tab of the monitor opens with: the one last chosen, else all.
    ChartPreset chartPreset(const Uuid& monitorID) const;
    // Remembers the range chosen for a listed monitor; nothing for one that is not listed.
    void recordChartPreset(ChartPreset preset, const Uuid& monitorID);
    // What a monitor's charts call when their range changes: records it while the workspace exists.
    std::function<void(ChartPreset)> chartPresetRecorder(const Uuid& monitorID);

    // The task of the latest load, create or deletion.
    const std::optional<TaskHandle<void>>& operation() const { return m_operation; }

    void setOperation(std::optional<TaskHandle<void>> operation) { m_operation = std::move(operation); }

    // The running save of monitor changes.
    const std::optional<TaskHandle<bool>>& changeOperation() const { return m_changeOperation; }

    void setChangeOperation(std::optional<TaskHandle<bool>> operation) { m_changeOperation = std::move(operation); }

    // The running write of a new monitor order.
    const std::optional<TaskHandle<void>>& reorderOperation() const { return m_reorderOperation; }

    void setReorderOperation(std::optional<TaskHandle<void>> operation) { m_reorderOperation = std::move(operation); }

    // Makes running summary refreshes store nothing (a monitor was deleted).
    void renewSummaryRequest();

    // Calls the schedules-changed hook when one is installed.
    void notifySchedulesChanged() const;

    // Saving and discarding monitor changes, storage retry, creating, deleting and reordering monitors: each
    // concern is a class of its own, named in the call.
    bool hasUnsavedChanges(const Uuid& id) const { return MonitorChangeGates(*this).hasUnsavedChanges(id); }

    bool canSaveChanges(const Uuid& id) const { return MonitorChangeGates(*this).canSaveChanges(id); }

    bool canDiscardChanges(const Uuid& id) const { return MonitorChangeGates(*this).canDiscardChanges(id); }

    bool canEditChanges(const Uuid& id) const { return MonitorChangeGates(*this).canEditChanges(id); }

    QCoro::Task<bool> saveChanges(const Uuid& id) { return MonitorChangesSaving(*this).saveChanges(id); }

    void focusMonitor(const Uuid& id, std::optional<MonitorDetailTab> tab = std::nullopt)
    {
        MonitorChangesSaving(*this).focusMonitor(id, tab);
    }

    QCoro::Task<bool> discardChanges(const Uuid& id) { return MonitorChangesDiscarding(*this).discardChanges(id); }

    QCoro::Task<void> waitForPendingOperations() { return MonitorChangesDiscarding(*this).waitForPendingOperations(); }

    QCoro::Task<void> retryStorage(const Uuid& id) { return WorkspaceStorageRetry(*this).retryStorage(id); }

    QCoro::Task<void> discardAndReload(const Uuid& id) { return WorkspaceStorageRetry(*this).discardAndReload(id); }

    void beginNewMonitor() { MonitorCreation(*this).beginNewMonitor(); }

    bool canSaveNewMonitor() const { return MonitorCreation::canSaveNewMonitor(*this); }

    void saveNewMonitor() { MonitorCreation(*this).saveNewMonitor(); }

    void deleteMonitor(const Uuid& id) { MonitorDeletion(*this).deleteMonitor(id); }

    void moveMonitors(const std::set<std::size_t>& offsets, std::size_t destination)
    {
        MonitorReordering(*this).moveMonitors(offsets, destination);
    }

private:
    QCoro::Task<void> runLoad(std::shared_ptr<MonitorEditorSession> editor);
    void applyLoadedList(const std::vector<Monitor>& monitors);

    std::shared_ptr<MonitorRepository> m_repository;
    std::shared_ptr<WorkspaceStepsStore> m_stepsStore;
    std::shared_ptr<ModelSettings> m_models;
    AllowNavigation m_allowNavigation;
    std::function<void()> m_onSchedulesChanged;
    std::optional<TaskHandle<bool>> m_changeOperation;
    std::optional<TaskHandle<void>> m_reorderOperation;
    Uuid m_summaryRequest;
    std::map<Uuid, ChartPreset> m_chartPresets;
    bool m_hasStarted = false;
    std::optional<TaskHandle<void>> m_operation;
};

} // namespace tavlen
