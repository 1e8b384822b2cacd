#pragma once

#include <QLoggingCategory>

namespace tavlen {

Q_DECLARE_LOGGING_CATEGORY(workspaceLog)

} // namespace tavlen
