#include "ExecutionLog.h"

namespace tavlen {

Q_LOGGING_CATEGORY(executionLog, "org.tavlen.Tavlen.Execution", QtInfoMsg)

} // namespace tavlen
