#pragma once

#include "BoundedWait.h"
#include "VirtualTime.h"

#include <chrono>
#include <memory>

namespace tavlen::test {

// Runs the task to its end while virtual time moves on by step at every turn of the event loop, so sleeps,
// polls and time-outs pass at once while work on other threads (decoding) still comes back through the loop.
// Throws TimedOut when the task has not ended after limit of real time.
template <class T>
T finishInVirtualTime(QCoro::Task<T> task,
                      VirtualTime& time,
                      std::chrono::milliseconds step = std::chrono::milliseconds(100),
                      std::chrono::milliseconds limit = std::chrono::seconds(60))
{
    auto run = std::make_shared<detail::BoundedRun<T>>();
    detail::drive(std::move(task), run);
    waitUntil(
        [&] {
            if (!run->finished) {
                time.advance(step);
            }
            return run->finished;
        },
        limit);
    if (!run->finished) {
        throw TimedOut();
    }
    if (run->error) {
        std::rethrow_exception(run->error);
    }
    if constexpr (!std::is_void_v<T>) {
        return std::move(*run->value);
    }
}

} // namespace tavlen::test
