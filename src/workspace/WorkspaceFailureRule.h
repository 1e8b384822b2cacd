#pragma once

#include "MonitorStoreError.h"

namespace tavlen {

class MonitorWorkspaceState;

// After a failed create, delete or reorder: validation, staleEdit and busy leave the workspace as it is; any other
// error means storage itself is in doubt, so the workspace fails with it and stays closed until loaded again.
void applyWorkspaceFailureRule(MonitorWorkspaceState& workspace, const MonitorStoreError& error);

} // namespace tavlen
