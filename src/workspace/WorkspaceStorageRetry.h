#pragma once

#include "Uuid.h"

#include <QCoroTask>

namespace tavlen {

class MonitorWorkspace;

// Reopens saving and editing after a storage problem: reads the monitor list again and brings the workspace, the
// change drafts and the steps store up to date with it, either keeping the monitor's edits (retry) or throwing
// them away and loading its Steps again (discard and reload). Both do nothing while the workspace is busy and
// show their outcome in the workspace's state; a failed read lands in the monitor's draft.
class WorkspaceStorageRetry
{
public:
    explicit WorkspaceStorageRetry(MonitorWorkspace& workspace)
        : m_workspace(workspace)
    {}

    // Keeps the edits; a Steps session in doubt is reconciled with its saved Steps. Never throws.
    QCoro::Task<void> retryStorage(const Uuid& monitorID);
    // First waits for the monitor's running step test or manual check (cancelling it), so no result lands in a
    // draft about to be dropped; then replaces the draft and the Steps with what is stored. Never throws.
    QCoro::Task<void> discardAndReload(const Uuid& monitorID);

private:
    MonitorWorkspace& m_workspace;
};

} // namespace tavlen
