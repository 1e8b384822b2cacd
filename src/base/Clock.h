#pragma once

#include "Date.h"

#include <chrono>

namespace tavlen {

// Where dates come from ("now" for records and labels). Code that needs a testable time takes one of these.
class WallClock
{
public:
    virtual ~WallClock() = default;
    virtual Date now() const = 0;
};

// The system's real-time clock; it jumps when the user or NTP sets the time.
class SystemWallClock final : public WallClock
{
public:
    Date now() const override;
};

// Time elapsed since an arbitrary origin, counting through system suspend and never going backwards: the
// clock for durations and deadlines that must hold across sleep.
class ContinuousClock
{
public:
    virtual ~ContinuousClock() = default;
    virtual std::chrono::nanoseconds now() const = 0;
};

// CLOCK_BOOTTIME: time since boot, suspended time included.
class BootTimeClock final : public ContinuousClock
{
public:
    std::chrono::nanoseconds now() const override;
};

} // namespace tavlen
