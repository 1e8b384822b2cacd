#pragma once

#include "Uuid.h"

namespace tavlen {

class MonitorWorkspace;

// Deletes a monitor once the user confirmed it: first the steps store settles the monitor's work (whatever check
// of it runs is cancelled and awaited), then the row goes with everything stored for it, then the workspace
// forgets it and moves the selection to its neighbour.
class MonitorDeletion
{
public:
    explicit MonitorDeletion(MonitorWorkspace& workspace)
        : m_workspace(workspace)
    {}

    // Starts the delete as the workspace's operation when the workspace is ready and idle and no sheet is open;
    // a failure goes to the workspace's actionError and leaves the monitor listed.
    void deleteMonitor(const Uuid& monitorID);

private:
    MonitorWorkspace& m_workspace;
};

} // namespace tavlen
