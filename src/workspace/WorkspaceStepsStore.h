#pragma once

#include "SavedSteps.h"
#include "StepsSession.h"
#include "StepsWorkflow.h"
#include "Uuid.h"

#include <QCoroTask>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tavlen {

// What the workspace and the leave prompt need of the steps store: the per-monitor Steps sessions with their load,
// reconciliation, save and discard, the waits around deleting a monitor and leaving, and the run gate to which the
// workspace adds its own reasons. The steps store implements it; the configured models reach the store from
// whoever builds both. Main thread only; asynchronous operations suspend there.
class WorkspaceStepsStore
{
public:
    // Stores the steps as one part of a larger write: takes the stored Steps version the edits started from (none
    // when nothing is stored yet) and the workflow, gives the steps as stored; throws what the write throws.
    using StepsWrite =
        std::function<QCoro::Task<SavedSteps>(std::optional<std::int64_t> expectedVersion, StepsWorkflow workflow)>;
    // The workspace's sentence why a check of the monitor cannot start now; none lets the store's own reasons decide.
    using UnavailableReason = std::function<std::optional<std::string>(const Uuid& monitorID)>;

    virtual ~WorkspaceStepsStore() = default;

    // The monitor's Steps session, or null when it has none.
    virtual std::shared_ptr<StepsSession> session(const Uuid& monitorID) const = 0;
    // The monitors that have a Steps session, in any order.
    virtual std::vector<Uuid> sessionMonitorIDs() const = 0;

    // Set while a leave decision runs: no execution starts and the workspace refuses reordering.
    virtual bool isNavigating() const = 0;
    // Notifies only on a change.
    virtual void setIsNavigating(bool isNavigating) = 0;

    // Whether a step test or manual check of the monitor runs or its result is being stored; false while the
    // running execution is a scheduled check.
    virtual bool isRunningSteps(const Uuid& monitorID) const = 0;

    // Installs the workspace's reason, asked first whenever the store tells why a check cannot start; none clears it.
    virtual void setMonitorCheckUnavailableReason(UnavailableReason reason) = 0;

    // Keeps per-monitor state only for these monitors: sessions, loads and remembered results of the others go,
    // and their running step test or manual check is cancelled.
    virtual void retainMonitors(const std::set<Uuid>& monitorIDs) = 0;

    // Fills the monitor's session from its saved Steps (creating the session when missing); with replace false a
    // session that already holds a draft is left alone. Never throws: a read failure stays in the session's error.
    virtual QCoro::Task<void> loadSteps(Uuid monitorID, bool replace) = 0;
    // Reconciles the session with its saved Steps after a save whose outcome is in doubt. Never throws.
    virtual QCoro::Task<void> reloadSteps(Uuid monitorID) = 0;
    // Saves the session's draft through the given write (without one, the store's own repository). Whether the
    // Steps were saved; a refusal or failure stays in the session. Never throws.
    virtual QCoro::Task<bool> saveSteps(Uuid monitorID, StepsWrite write) = 0;
    // Waits for the monitor's outstanding work (cancelling its step test or manual check), then puts its session
    // back to the saved Steps. Never throws.
    virtual QCoro::Task<void> discardChanges(Uuid monitorID) = 0;
    // Waits for the monitor's outstanding work as a discard does: its Steps load and save, its step test or manual
    // check cancelled and awaited, its result write unless a scheduled check of it runs. Never throws.
    virtual QCoro::Task<void> waitForMonitorTasks(Uuid monitorID) = 0;
    // Waits for outstanding Steps saves and loads; for termination also cancels the running execution and waits
    // for every result write. Never throws.
    virtual QCoro::Task<void> waitUntilIdle(bool forTermination) = 0;

    // Marks the monitor as being deleted (no check or Steps save of it starts) and waits for its outstanding work,
    // cancelling whatever execution of it runs. Never throws.
    virtual QCoro::Task<void> beginDeletingMonitor(Uuid monitorID) = 0;
    // Ends what beginDeletingMonitor started.
    virtual void endDeletingMonitor(const Uuid& monitorID) = 0;
};

} // namespace tavlen
