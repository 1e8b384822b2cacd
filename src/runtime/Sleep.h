#pragma once

#include "CancelledError.h"
#include "TimeSource.h"

#include <QCoroTask>

#include <chrono>
#include <stop_token>

namespace tavlen {

// Suspends the calling coroutine for the duration, on the calling thread's Qt event loop, and resumes it there.
// Throws CancelledError as soon as a stop is requested on token (also if it was requested before the call);
// a stop requested from another thread wakes the sleeper through its own event loop.
// The duration runs on the monotonic clock of time, which pauses while the system is suspended: a deadline that
// must count through suspend is kept with sleepUntil.
// Throws std::logic_error on a thread without a Qt event loop.
//
//     while (true) {
//         co_await sleepFor(1s, stop, m_time);   // m_time: the TimeSource given at construction
//         tick();
//     }
QCoro::Task<void>
sleepFor(std::chrono::milliseconds duration, std::stop_token token, const TimeSource& time = systemTime());

// Suspends the calling coroutine until the boot-time clock of time (CLOCK_BOOTTIME, which counts through system
// suspend; TimeSource::Clock::bootTime reads it) reaches deadline; a deadline that passed while the system slept ends
// the sleep as it wakes. Otherwise as sleepFor.
//
//     const auto deadline = m_time.now(TimeSource::Clock::bootTime) + 30min;
//     co_await sleepUntil(deadline, stop, m_time);
QCoro::Task<void>
sleepUntil(std::chrono::nanoseconds deadline, std::stop_token token, const TimeSource& time = systemTime());

} // namespace tavlen
