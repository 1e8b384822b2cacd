#pragma once

#include <QLoggingCategory>

namespace tavlen {

// The log of the model providers, "org.tavlen.Tavlen.Providers" (debug off unless enabled by QT_LOGGING_RULES).
// Requests are logged only through describeHttpRequest, which never writes an API key.
Q_DECLARE_LOGGING_CATEGORY(providersLog)

} // namespace tavlen
