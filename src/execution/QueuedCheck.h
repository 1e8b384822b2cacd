#pragma once

#include "Uuid.h"

#include <cstdint>

namespace tavlen {

// One row of the scheduled-checks queue: a due occurrence of a monitor's schedule waiting to be claimed.
struct QueuedCheck
{
    Uuid id;
    Uuid monitorID;
    std::int64_t scheduleVersion = 1;
    std::int64_t dueAtMilliseconds = 0;

    friend bool operator==(const QueuedCheck&, const QueuedCheck&) = default;
};

} // namespace tavlen
