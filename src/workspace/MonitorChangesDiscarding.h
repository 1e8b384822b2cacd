#pragma once

#include "Uuid.h"

#include <QCoroTask>

namespace tavlen {

class MonitorWorkspace;

// Throws a monitor's unsaved name, schedule and Steps edits away, after a storage retry when storage failed or
// the Steps are in doubt; and waits for the running reorder and save before something else starts.
class MonitorChangesDiscarding
{
public:
    explicit MonitorChangesDiscarding(MonitorWorkspace& workspace)
        : m_workspace(workspace)
    {}

    // Whether the edits were discarded: false while another operation keeps the workspace busy, or when the
    // storage retry leaves the problem in place. A stale edit stays recorded. Never throws.
    QCoro::Task<bool> discardChanges(const Uuid& monitorID);
    // Waits for the running reorder, then for the save running after it; one pass. Never throws.
    QCoro::Task<void> waitForPendingOperations();

private:
    MonitorWorkspace& m_workspace;
};

} // namespace tavlen
