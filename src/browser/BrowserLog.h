#pragma once

#include <QLoggingCategory>

namespace tavlen {

// The log of the browser client, "org.tavlen.Tavlen.Browser" (debug off unless enabled by QT_LOGGING_RULES).
Q_DECLARE_LOGGING_CATEGORY(browserLog)

} // namespace tavlen
