#pragma once

#include "CancelledError.h"
#include "LinkedStopSource.h"
#include "TimedOutError.h"

#include <QCoroTask>

#include <chrono>
#include <exception>
#include <functional>
#include <optional>
#include <stop_token>
#include <type_traits>
#include <utility>
#include <variant>

namespace tavlen {

namespace detail {

// What co_await gives for an awaitable of type A (a QCoro::Task<T>, a Completion's wait(), ...).
template <class A> decltype(auto) awaiterOf(A&& awaitable)
{
    if constexpr (requires { std::forward<A>(awaitable).operator co_await(); }) {
        return std::forward<A>(awaitable).operator co_await();
    } else {
        return std::forward<A>(awaitable);
    }
}

template <class A> using AwaitResult = std::decay_t<decltype(awaiterOf(std::declval<A>()).await_resume())>;

} // namespace detail

// Calls body(linked) at once and awaits what it returns, where linked is a token that stops when token stops or
// when limit has passed (on the monotonic clock of time). Gives body's result. When limit passed first and the
// body ended by throwing (CancelledError, as every runtime wait does on a stop, or whatever the body made of
// it), throws TimedOutError instead; when token stopped, throws CancelledError, even if a result came.
// withTimeout waits for the body to end, so the body must honour its token (every runtime wait does): that keeps
// whatever the body borrowed from the caller alive for as long as it runs.
// Throws std::logic_error on a thread without a Qt event loop.
//
//     const Response response = co_await withTimeout(35s, stop, [&](std::stop_token command) {
//         return pending.wait(command);   // any awaitable: a QCoro::Task, a Completion's wait, ...
//     }, m_time);
template <class Body>
auto withTimeout(std::chrono::milliseconds limit,
                 std::stop_token token,
                 Body body,
                 const TimeSource& time = systemTime())
    -> QCoro::Task<detail::AwaitResult<std::invoke_result_t<Body&, std::stop_token>>>
{
    using R = detail::AwaitResult<std::invoke_result_t<Body&, std::stop_token>>;
    LinkedStopSource linked(token, limit, time);
    std::optional<std::conditional_t<std::is_void_v<R>, std::monostate, R>> result;
    std::exception_ptr failure;
    try {
        auto awaitable = body(linked.token()); // named, not a temporary inside co_await (g++ 12)
        if constexpr (std::is_void_v<R>) {
            co_await std::move(awaitable);
            result.emplace();
        } else {
            result.emplace(co_await std::move(awaitable));
        }
    } catch (...) {
        failure = std::current_exception();
    }
    if (token.stop_requested()) {
        throw CancelledError();
    }
    if (failure) {
        if (linked.hasTimedOut()) {
            throw TimedOutError();
        }
        std::rethrow_exception(failure);
    }
    if constexpr (!std::is_void_v<R>) {
        co_return std::move(*result);
    }
}

} // namespace tavlen
