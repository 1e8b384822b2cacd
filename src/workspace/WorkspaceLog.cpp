#include "WorkspaceLog.h"

namespace tavlen {

Q_LOGGING_CATEGORY(workspaceLog, "org.tavlen.Tavlen.Workspace", QtInfoMsg)

} // namespace tavlen
