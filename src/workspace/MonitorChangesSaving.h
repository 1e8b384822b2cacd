#pragma once

#include "MonitorDetailTab.h"
#include "Uuid.h"

#include <QCoroTask>

#include <optional>

namespace tavlen {

class MonitorWorkspace;

// Saves a monitor's name, schedule and Steps together in one stored write, and points the detail view at the tab
// that shows a problem. The write runs as the workspace's change operation; the workspace is busy meanwhile.
class MonitorChangesSaving
{
public:
    explicit MonitorChangesSaving(MonitorWorkspace& workspace)
        : m_workspace(workspace)
    {}

    // Checks the edits at once (a refusal or an invalid part stores nothing and focuses the tab that shows why),
    // then starts the write. Yields whether the edits were stored and taken into the monitor's draft. Never throws.
    QCoro::Task<bool> saveChanges(const Uuid& monitorID);
    // Selects the listed monitor directly and asks for the tab: the given one, else the tab of the draft's save
    // error, else Steps. Every call is a new request. Nothing happens for a monitor that is not listed.
    void focusMonitor(const Uuid& monitorID, std::optional<MonitorDetailTab> tab);
    // Ends the running change: not busy, no activity, no change operation.
    void finishChange();

private:
    MonitorWorkspace& m_workspace;
};

} // namespace tavlen
