#pragma once

#include "CancelledError.h"

#include <QtGlobal>

#include <exception>
#include <functional>
#include <optional>
#include <type_traits>
#include <variant>

namespace tavlen {

// True on the thread that owns the QCoreApplication (the GUI thread); false before it exists.
bool isMainThread();

// Queues fn to run on the main thread's event loop, also when called from the main thread itself.
// Dropped unrun only if the application object goes away first.
void postToMain(std::function<void()> fn);

namespace detail {

// Runs job on the main thread and returns once it has run; throws CancelledError if it was dropped unrun.
void runOnMainAndWait(std::function<void()> job);

} // namespace detail

// Runs fn on the main thread and returns its result (or rethrows what it threw) once it has run. On the main
// thread it runs inline. A worker blocks until the main thread handles it, so the main thread must never wait
// for that worker; the one exception is built in: a main thread destroying a SerialExecutor runs the hand-offs
// of that executor's jobs while it waits for them. Throws CancelledError if the job is dropped unrun because the
// application is shutting down.
template <class F> auto postToMainAndWait(F fn) -> std::invoke_result_t<F&>
{
    using R = std::invoke_result_t<F&>;
    static_assert(!std::is_reference_v<R>, "a result crosses threads by value");
    if (isMainThread()) {
        return fn();
    }
    std::optional<std::conditional_t<std::is_void_v<R>, std::monostate, R>> result;
    std::exception_ptr error;
    // By reference: the job runs only while this thread waits for it.
    detail::runOnMainAndWait([&fn, &result, &error] {
        try {
            if constexpr (std::is_void_v<R>) {
                fn();
                result.emplace();
            } else {
                result.emplace(fn());
            }
        } catch (...) {
            error = std::current_exception();
        }
    });
    if (error) {
        std::rethrow_exception(error);
    }
    if constexpr (!std::is_void_v<R>) {
        return std::move(*result);
    }
}

} // namespace tavlen

// Guards code that must run on the main thread (observable state, views). Debug builds stop at the
// offending call; release builds carry on, so callers still handle the precondition themselves.
#define TAVLEN_ASSERT_MAIN_THREAD() Q_ASSERT_X(::tavlen::isMainThread(), Q_FUNC_INFO, "must run on the main thread")
