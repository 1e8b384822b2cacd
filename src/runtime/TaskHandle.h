#pragma once

#include "ThreadLoop.h"

#include <QCoroTask>

#include <coroutine>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace tavlen {

namespace detail {

template <class T> class TaskHandleState;

} // namespace detail

// A started task that can be cancelled and awaited by any number of waiters, each of which gets its result
// (a copy) or its error. The body starts at once, on the calling thread, with the token of the task's own
// stop source. Copies share one task; dropping every copy neither cancels nor stops it.
//
//     TaskHandle<int> refresh([this](std::stop_token stop) -> QCoro::Task<int> {
//         co_await sleepFor(1s, stop);
//         co_return 42;
//     });
//     refresh.cancel();                         // the sleep throws CancelledError
//     const int value = co_await refresh.result();
template <class T> class TaskHandle
{
    static_assert(std::is_void_v<T> || std::is_copy_constructible_v<T>, "every waiter gets a copy of the result");

public:
    using Body = std::function<QCoro::Task<T>(std::stop_token)>;

    explicit TaskHandle(Body body);

    // True once the body has returned or thrown.
    bool isFinished() const;

    // Requests a stop on the task's token; the body decides when to end (CancelledError from its waits).
    void cancel() const;

    // The body's value, or rethrows what it threw (CancelledError when it ended on a stop). Resumes the
    // waiter on its own thread; does not suspend when the task has already finished.
    QCoro::Task<T> result() const;

private:
    std::shared_ptr<detail::TaskHandleState<T>> m_state;
};

namespace detail {

template <class T> class TaskHandleState
{
public:
    using Value = std::conditional_t<std::is_void_v<T>, std::monostate, T>;

    std::stop_source stopSource;

    template <std::size_t Index, class U> void finish(std::in_place_index_t<Index>, U&& outcome)
    {
        std::vector<std::pair<std::coroutine_handle<>, ThreadLoop>> waiters;
        {
            const std::lock_guard lock(m_mutex);
            m_outcome.template emplace<Index>(std::forward<U>(outcome));
            waiters.swap(m_waiters);
        }
        for (const auto& [waiter, loop] : waiters) {
            loop.resume(waiter);
        }
    }

    bool isFinished()
    {
        const std::lock_guard lock(m_mutex);
        return m_outcome.index() != 0;
    }

    // Registers a waiter; false when the task has finished and the waiter need not suspend.
    bool suspend(std::coroutine_handle<> waiter)
    {
        const std::lock_guard lock(m_mutex);
        if (m_outcome.index() != 0) {
            return false;
        }
        m_waiters.emplace_back(waiter, ThreadLoop::current());
        return true;
    }

    T outcome()
    {
        const std::lock_guard lock(m_mutex);
        if (m_outcome.index() == 2) {
            std::rethrow_exception(std::get<2>(m_outcome));
        }
        if constexpr (!std::is_void_v<T>) {
            return std::get<1>(m_outcome);
        }
    }

private:
    std::mutex m_mutex;
    std::variant<std::monostate, Value, std::exception_ptr> m_outcome;
    std::vector<std::pair<std::coroutine_handle<>, ThreadLoop>> m_waiters;
};

// Movable, as g++ 12 requires of awaiters.
template <class T> class TaskHandleAwaiter
{
public:
    explicit TaskHandleAwaiter(std::shared_ptr<TaskHandleState<T>> state)
        : m_state(std::move(state))
    {}

    bool await_ready() const { return m_state->isFinished(); }

    bool await_suspend(std::coroutine_handle<> waiter) { return m_state->suspend(waiter); }

    T await_resume() { return m_state->outcome(); }

private:
    std::shared_ptr<TaskHandleState<T>> m_state;
};

// Keeps the body (and so a lambda's captures) and the state alive until the body ends.
template <class T>
QCoro::Task<void> driveTask(std::shared_ptr<TaskHandleState<T>> state,
                            std::function<QCoro::Task<T>(std::stop_token)> body)
{
    try {
        if constexpr (std::is_void_v<T>) {
            co_await body(state->stopSource.get_token());
            state->finish(std::in_place_index<1>, std::monostate{});
        } else {
            state->finish(std::in_place_index<1>, co_await body(state->stopSource.get_token()));
        }
    } catch (...) {
        state->finish(std::in_place_index<2>, std::current_exception());
    }
}

template <class T> QCoro::Task<T> awaitTaskResult(std::shared_ptr<TaskHandleState<T>> state)
{
    co_return co_await TaskHandleAwaiter<T>(std::move(state));
}

} // namespace detail

template <class T>
TaskHandle<T>::TaskHandle(Body body)
    : m_state(std::make_shared<detail::TaskHandleState<T>>())
{
    detail::driveTask<T>(m_state, std::move(body));
}

template <class T> bool TaskHandle<T>::isFinished() const
{
    return m_state->isFinished();
}

template <class T> void TaskHandle<T>::cancel() const
{
    m_state->stopSource.request_stop();
}

template <class T> QCoro::Task<T> TaskHandle<T>::result() const
{
    return detail::awaitTaskResult<T>(m_state);
}

} // namespace tavlen
