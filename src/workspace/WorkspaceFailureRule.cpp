#include "WorkspaceFailureRule.h"

#include "MonitorWorkspaceState.h"

namespace tavlen {

void applyWorkspaceFailureRule(MonitorWorkspaceState& workspace, const MonitorStoreError& error)
{
    using Kind = MonitorStoreError::Kind;
    if (error.kind() != Kind::validation && error.kind() != Kind::staleEdit && error.kind() != Kind::busy) {
        workspace.setLoadState(WorkspaceLoadState::failed(error));
    }
}

} // namespace tavlen
