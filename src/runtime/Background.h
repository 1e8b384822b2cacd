#pragma once

#include "Completion.h"
#include "ThreadLoop.h"

#include <QCoroTask>
#include <QThreadPool>

#include <exception>
#include <memory>
#include <stdexcept>
#include <type_traits>

namespace tavlen {

// Runs job (called with no arguments) on a thread of Qt's global pool and gives its result, or rethrows what it
// threw, on the thread that awaits it. For work that must not hold up the main thread and need not be ordered
// with other work. The job is queued at once and always runs to its end: nothing cancels it, so it must own
// (or share) everything it reads. On a thread without a Qt event loop, where nothing could resume the caller, it
// throws std::logic_error and queues nothing.
//
//     auto job = [screenshot] { return expensiveWork(*screenshot); };
//     auto task = runInBackground(std::move(job));
//     const auto value = co_await std::move(task);
template <class F> auto runInBackground(F job) -> QCoro::Task<std::remove_cvref_t<std::invoke_result_t<F&>>>
{
    using R = std::remove_cvref_t<std::invoke_result_t<F&>>;
    if (!ThreadLoop::current().hasEventLoop()) {
        throw std::logic_error("runInBackground needs a caller with a running Qt event loop");
    }
    Completion<R> done;
    auto shared = std::make_shared<F>(std::move(job)); // the pool takes copyable callables; F need not be
    QThreadPool::globalInstance()->start([done, shared] { done.resumeWithResultOf(*shared); });
    if constexpr (std::is_void_v<R>) {
        co_await done.wait();
    } else {
        co_return co_await done.wait();
    }
}

} // namespace tavlen
