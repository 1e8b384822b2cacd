#pragma once

#include <QLoggingCategory>

namespace tavlen {

// The scheduler's log, "org.tavlen.Tavlen.Scheduler" (debug off unless enabled by QT_LOGGING_RULES).
Q_DECLARE_LOGGING_CATEGORY(schedulerLog)

} // namespace tavlen
