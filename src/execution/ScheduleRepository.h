#pragma once

#include "Date.h"
#include "QueuedCheck.h"
#include "ScheduleSnapshot.h"

#include <QCoroTask>

#include <string>

namespace tavlen {

// The storage side of scheduling as the scheduler uses it. Both operations fail with MonitorStoreError.
class ScheduleRepository
{
public:
    virtual ~ScheduleRepository() = default;

    // Brings every enabled monitor's runtime state up to `now` in the zone (an IANA identifier), queues what fell
    // due and returns the result.
    virtual QCoro::Task<ScheduleSnapshot> refresh(Date now, std::string timeZoneID) = 0;

    // Removes the queued check when it may still run; true when this call removed it.
    virtual QCoro::Task<bool> claim(QueuedCheck check) = 0;
};

} // namespace tavlen
