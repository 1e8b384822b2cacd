#pragma once

#include <QLoggingCategory>

namespace tavlen {

// The log of check execution, "org.tavlen.Tavlen.Execution" (debug off unless enabled by QT_LOGGING_RULES).
Q_DECLARE_LOGGING_CATEGORY(executionLog)

} // namespace tavlen
