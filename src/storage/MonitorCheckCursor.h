#pragma once

#include "Uuid.h"

#include <cstdint>

namespace tavlen {

// Where the next page of a monitor's checks (newest first) begins: the start time and id of the last check shown.
struct MonitorCheckCursor
{
    std::int64_t startedAtMilliseconds = 0;
    Uuid id;

    friend bool operator==(const MonitorCheckCursor&, const MonitorCheckCursor&) = default;
};

} // namespace tavlen
