#include "BrowserLog.h"

namespace tavlen {

Q_LOGGING_CATEGORY(browserLog, "org.tavlen.Tavlen.Browser", QtInfoMsg)

} // namespace tavlen
