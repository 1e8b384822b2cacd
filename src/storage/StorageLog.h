#pragma once

#include <QLoggingCategory>

namespace tavlen {

// The log of workspace storage, "org.tavlen.Tavlen.Storage" (debug off unless enabled by QT_LOGGING_RULES).
Q_DECLARE_LOGGING_CATEGORY(storageLog)

} // namespace tavlen
