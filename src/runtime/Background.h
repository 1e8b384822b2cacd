#pragma once

#include "CancelledError.h"
#include "Completion.h"
#include "ThreadLoop.h"

#include <QCoroTask>
#include <QThreadPool>

#include <exception>
#include <memory>
#include <stdexcept>
#include <stop_token>
#include <type_traits>

namespace tavlen {

// The pool runInBackground runs its jobs on: ours rather than Qt's global one (which QtConcurrent and Qt itself
// share), and bounded to a few threads, so jobs of tens of megabytes (decoding a capture, building a chart's
// series) neither take every core from the main thread nor hold memory for more than a few at once. Jobs beyond
// the bound wait their turn. The application waits for it when it ends.
QThreadPool& backgroundPool();

// Runs job (called with no arguments) on a thread of the background pool and gives its result, or rethrows what it
// threw, on the thread that awaits it. For work that must not hold up the main thread and need not be ordered
// with other work. A job whose token stops before a pool thread takes it up never runs (CancelledError); once
// started it runs to its end (it may test the token itself), so it must own (or share) everything it reads. On a
// thread without a Qt event loop, where nothing could resume the caller, it throws std::logic_error and queues
// nothing.
//
//     auto job = [screenshot] { return expensiveWork(*screenshot); };
//     auto task = runInBackground(std::move(job), stop);
//     const auto value = co_await std::move(task);
template <class F>
auto runInBackground(F job, std::stop_token token = {}) -> QCoro::Task<std::remove_cvref_t<std::invoke_result_t<F&>>>
{
    using R = std::remove_cvref_t<std::invoke_result_t<F&>>;
    if (!ThreadLoop::current().hasEventLoop()) {
        throw std::logic_error("runInBackground needs a caller with a running Qt event loop");
    }
    Completion<R> done;
    auto shared = std::make_shared<F>(std::move(job)); // the pool takes copyable callables; F need not be
    backgroundPool().start([done, shared, token] {
        if (token.stop_requested()) {
            done.fail(std::make_exception_ptr(CancelledError()));
        } else {
            done.resumeWithResultOf(*shared);
        }
    });
    if constexpr (std::is_void_v<R>) {
        co_await done.wait();
    } else {
        co_return co_await done.wait();
    }
}

} // namespace tavlen
