#include "Clock.h"

#include <time.h>

namespace tavlen {

Date SystemWallClock::now() const
{
    return Date::now();
}

std::chrono::nanoseconds BootTimeClock::now() const
{
    timespec time{};
    // Cannot fail for a valid clock id and pointer on Linux, which has had CLOCK_BOOTTIME since 2.6.39.
    ::clock_gettime(CLOCK_BOOTTIME, &time);
    return std::chrono::seconds(time.tv_sec) + std::chrono::nanoseconds(time.tv_nsec);
}

} // namespace tavlen
