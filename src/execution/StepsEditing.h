#pragma once

#include "BrowserCaptureSettings.h"
#include "SavedSteps.h"
#include "TaskHandle.h"
#include "Uuid.h"
#include "WorkspaceStepsStore.h"

#include <QCoroTask>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace tavlen {

class StepsExecutionControl;
class StepsRepository;
class StepsRunGate;
class StepsSession;
class StepsStoreState;

// The editing sessions of the monitors' Steps: loading them from storage, saving the draft under the stored
// version, reconciling a session with storage after a save whose outcome is in doubt, and discarding unsaved
// edits. At most one load (or reload) and one save per monitor; a task applies its outcome only to the session
// it started with, and only while that session is still the monitor's. Main thread only.
class StepsEditing
{
public:
    // Stores the expected version's successor of the workflow (with whatever else the caller saves together with
    // it) and gives the steps as stored. Throws MonitorStoreError.
    using WriteOperation = WorkspaceStepsStore::StepsWrite;

    // Everything given must outlive the editing; the state owns the tasks. New drafts get the default capture.
    StepsEditing(StepsStoreState& state,
                 StepsRepository& repository,
                 const StepsRunGate& gate,
                 StepsExecutionControl& control,
                 BrowserCaptureSettings defaultCapture);

    // Creates the monitor's session and fills it from storage; a forced load replaces an existing draft (after
    // a running save, and after cancelling the monitor's step test or manual check). Nothing while the monitor
    // is being deleted; a running load is awaited instead of starting another.
    QCoro::Task<void> loadSteps(Uuid monitorID, bool force);
    // Compares the session with storage without touching the draft: a stored workflow equal to the attempted
    // save is adopted; otherwise the session is consistent or becomes stale.
    QCoro::Task<void> reloadSteps(Uuid monitorID);
    // Saves the session's draft when it may be saved; whether it was. Shows validation first; a running save of
    // the monitor is awaited and its result given.
    QCoro::Task<bool> saveSteps(Uuid monitorID, WriteOperation write);
    // Puts the draft back to the baseline, keeping the first page's screenshot and any storage error, after the
    // monitor's work has ended (its step test or manual check cancelled).
    QCoro::Task<void> discardChanges(Uuid monitorID);

private:
    TaskHandle<void> startLoad(std::shared_ptr<StepsSession> session, Uuid monitorID);
    TaskHandle<void> startReload(std::shared_ptr<StepsSession> session, Uuid monitorID);
    TaskHandle<bool> startSave(std::shared_ptr<StepsSession> session,
                               Uuid monitorID,
                               WriteOperation write,
                               std::optional<std::int64_t> expectedVersion,
                               StepsWorkflow workflow,
                               std::vector<std::string> numericInputs);
    bool isCurrent(const std::shared_ptr<StepsSession>& session, const Uuid& monitorID) const;

    StepsStoreState& m_state;
    StepsRepository& m_repository;
    const StepsRunGate& m_gate;
    StepsExecutionControl& m_control;
    const BrowserCaptureSettings m_defaultCapture;
};

} // namespace tavlen
