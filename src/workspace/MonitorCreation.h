#pragma once

namespace tavlen {

class MonitorWorkspace;

// The new-monitor sheet and the creation of a monitor from it. A repeated Create within one opening of the sheet
// sends the same proposed id, so an uncertain failure never makes a second monitor.
class MonitorCreation
{
public:
    explicit MonitorCreation(MonitorWorkspace& workspace)
        : m_workspace(workspace)
    {}

    // Opens the sheet when an action may start, after the leave check when one is installed.
    void beginNewMonitor();
    // The sheet's Create button is enabled: the workspace is ready and idle, and the sheet holds no error other
    // than validation or busy.
    static bool canSaveNewMonitor(const MonitorWorkspace& workspace);
    // Starts the create as the workspace's operation. On success the new monitor is listed, selected and the sheet
    // closes; a failure stays in the sheet, which stays open.
    void saveNewMonitor();

private:
    MonitorWorkspace& m_workspace;
};

} // namespace tavlen
