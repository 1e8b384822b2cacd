#pragma once

#include "Date.h"

#include <chrono>
#include <functional>
#include <memory>

namespace tavlen {

// The one way time reaches code: the date for records and labels, the clocks waits measure against and the one-shot
// timers that wake them. Production code uses systemTime(); tests pass a virtual one (tests/support/VirtualTime.h),
// so that dates are what the test sets and one-second ticks and 35-second deadlines run instantly and
// deterministically. Code that reads the date, sleeps or keeps deadlines takes a `const TimeSource&` at
// construction and hands it to sleepFor, sleepUntil, withTimeout and LinkedStopSource.
//
//     const auto deadline = time.now(TimeSource::Clock::bootTime) + 10min;
//     auto timer = time.startTimer(TimeSource::Clock::bootTime, deadline, [waiter] { waiter->wake(); });
class TimeSource
{
public:
    enum class Clock
    {
        monotonic, // pauses while the system is suspended (CLOCK_MONOTONIC)
        bootTime   // keeps counting through suspend (CLOCK_BOOTTIME)
    };

    // An armed timer; destroying it disarms it. Destroy it on the thread that armed it.
    class Timer
    {
    public:
        virtual ~Timer() = default;
    };

    virtual ~TimeSource() = default;

    // The wall clock's date: what records store and labels show. It jumps when the user or NTP sets the time, so
    // durations and deadlines never use it.
    virtual Date date() const = 0;

    // The clock's reading, from an arbitrary origin.
    virtual std::chrono::nanoseconds now(Clock clock) const = 0;

    // Calls fire once, on the calling thread's event loop, when clock reaches deadline (soon after, through the
    // loop, when it already has; never inside this call). Throws std::logic_error on a thread without a Qt event
    // loop.
    virtual std::unique_ptr<Timer>
    startTimer(Clock clock, std::chrono::nanoseconds deadline, std::function<void()> fire) const = 0;
};

// The system's clocks, with timers on timerfd: nanosecond deadlines, no upper limit, and boot-time timers that
// fire on wake-up when their deadline passed while the system slept.
const TimeSource& systemTime();

// now + duration: now for a negative duration, and the largest representable time instead of an overflow.
std::chrono::nanoseconds deadlineAfter(std::chrono::nanoseconds now, std::chrono::milliseconds duration);

} // namespace tavlen
