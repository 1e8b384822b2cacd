#pragma once

#include "CancelledError.h"

#include <QCoroTask>

#include <chrono>
#include <stop_token>

namespace tavlen {

// Suspends the calling coroutine for the duration, on the calling thread's Qt event loop, and resumes it there.
// Throws CancelledError as soon as a stop is requested on token (also if it was requested before the call);
// a stop requested from another thread wakes the sleeper through its own event loop.
// The duration runs on the monotonic clock, which pauses while the system is suspended: code keeping a
// deadline across suspend compares against a ContinuousClock when it wakes.
// Throws std::logic_error on a thread without a Qt event loop.
QCoro::Task<void> sleepFor(std::chrono::milliseconds duration, std::stop_token token);

} // namespace tavlen
