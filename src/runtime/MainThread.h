#pragma once

#include "CancelledError.h"

#include <QtGlobal>

#include <functional>
#include <future>
#include <memory>
#include <type_traits>

namespace tavlen {

// True on the thread that owns the QCoreApplication (the GUI thread); false before it exists.
bool isMainThread();

// Queues fn to run on the main thread's event loop, also when called from the main thread itself.
// Dropped unrun only if the application object goes away first.
void postToMain(std::function<void()> fn);

// Runs fn on the main thread and returns its result (or rethrows what it threw) once it has run. On the main
// thread it runs inline. A worker blocks until the main thread handles it, so the main thread must never wait
// for that worker. Throws CancelledError if the job is dropped unrun because the application is shutting down.
// fn must be copyable.
template <class F> auto postToMainAndWait(F fn) -> std::invoke_result_t<F&>
{
    using R = std::invoke_result_t<F&>;
    if (isMainThread()) {
        return fn();
    }
    auto promise = std::make_shared<std::promise<R>>();
    std::future<R> future = promise->get_future();
    postToMain([promise, fn]() mutable {
        try {
            if constexpr (std::is_void_v<R>) {
                fn();
                promise->set_value();
            } else {
                promise->set_value(fn());
            }
        } catch (...) {
            promise->set_exception(std::current_exception());
        }
    });
    promise.reset(); // the queued job holds the only promise: dropping the job breaks it
    future.wait();
    try {
        return future.get();
    } catch (const std::future_error& error) {
        if (error.code() == std::future_errc::broken_promise) {
            throw CancelledError();
        }
        throw;
    }
}

} // namespace tavlen

// Guards code that must run on the main thread (observable state, views). Debug builds stop at the
// offending call; release builds carry on, so callers still handle the precondition themselves.
#define TAVLEN_ASSERT_MAIN_THREAD() Q_ASSERT_X(::tavlen::isMainThread(), Q_FUNC_INFO, "must run on the main thread")
