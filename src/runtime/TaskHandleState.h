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

// What the copies of one TaskHandle share with its running body and its waiters. Thread-safe; waiters are
// resumed outside the lock, each on its own thread.
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

} // namespace tavlen
