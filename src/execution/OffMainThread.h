#pragma once

#include <QCoroFuture>
#include <QCoroTask>
#include <QException>
#include <QtConcurrent/QtConcurrentRun>

#include <exception>
#include <type_traits>

namespace tavlen {

// Runs job on a thread of Qt's global pool and resumes the caller on its own thread with the result, or
// rethrows what the job threw (as itself, not wrapped by Qt). For CPU work (decoding, validation) that would
// stall the main thread; the job must own everything it touches, since it is not cancelled.
template <class F> auto runOffMainThread(F job) -> QCoro::Task<std::invoke_result_t<F&>>
{
    auto future = QtConcurrent::run(std::move(job));
    try {
        if constexpr (std::is_void_v<std::invoke_result_t<F&>>) {
            co_await future;
        } else {
            co_return co_await future;
        }
    } catch (const QUnhandledException& wrapped) {
        if (wrapped.exception()) {
            std::rethrow_exception(wrapped.exception());
        }
        throw;
    }
}

} // namespace tavlen
