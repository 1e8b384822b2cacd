#include "SchedulerLog.h"

namespace tavlen {

Q_LOGGING_CATEGORY(schedulerLog, "org.tavlen.Tavlen.Scheduler", QtInfoMsg)

} // namespace tavlen
