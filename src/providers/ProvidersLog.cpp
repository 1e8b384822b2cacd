#include "ProvidersLog.h"

namespace tavlen {

Q_LOGGING_CATEGORY(providersLog, "org.tavlen.Tavlen.Providers", QtInfoMsg)

} // namespace tavlen
