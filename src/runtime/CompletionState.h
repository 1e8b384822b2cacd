#pragma once

#include "ThreadLoop.h"

#include <QtGlobal>

#include <coroutine>
#include <exception>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <variant>

namespace tavlen {

namespace detail {

// What the copies of one Completion share with its waiter. Thread-safe; the waiter is resumed outside the lock.
template <class T> class CompletionState
{
public:
    using Value = std::conditional_t<std::is_void_v<T>, std::monostate, T>;

    template <std::size_t Index, class... Args> void finish(std::in_place_index_t<Index>, Args&&... outcome)
    {
        std::coroutine_handle<> waiter;
        ThreadLoop loop;
        {
            const std::lock_guard lock(m_mutex);
            if (m_outcome.index() != 0) {
                return;
            }
            m_outcome.template emplace<Index>(std::forward<Args>(outcome)...);
            waiter = std::exchange(m_waiter, nullptr);
            loop = m_waiterLoop;
        }
        if (waiter) {
            loop.resume(waiter);
        }
    }

    bool isFinished()
    {
        const std::lock_guard lock(m_mutex);
        return m_outcome.index() != 0;
    }

    // Registers the waiter; false when the outcome is already there and the waiter need not suspend.
    bool suspend(std::coroutine_handle<> waiter)
    {
        const std::lock_guard lock(m_mutex);
        if (m_outcome.index() != 0) {
            return false;
        }
        Q_ASSERT_X(!m_hasWaiter, Q_FUNC_INFO, "a completion has one waiter");
        if (m_hasWaiter) {
            throw std::logic_error("a completion has one waiter");
        }
        m_hasWaiter = true;
        m_waiter = waiter;
        m_waiterLoop = ThreadLoop::current();
        return true;
    }

    T take()
    {
        const std::lock_guard lock(m_mutex);
        if (m_outcome.index() == 2) {
            std::rethrow_exception(std::get<2>(m_outcome));
        }
        if constexpr (!std::is_void_v<T>) {
            return std::move(std::get<1>(m_outcome));
        }
    }

private:
    std::mutex m_mutex;
    std::variant<std::monostate, Value, std::exception_ptr> m_outcome;
    std::coroutine_handle<> m_waiter;
    ThreadLoop m_waiterLoop;
    bool m_hasWaiter = false;
};

// Movable, as g++ 12 requires of awaiters.
template <class T> class CompletionAwaiter
{
public:
    explicit CompletionAwaiter(std::shared_ptr<CompletionState<T>> state)
        : m_state(std::move(state))
    {}

    bool await_ready() const { return m_state->isFinished(); }

    bool await_suspend(std::coroutine_handle<> waiter) { return m_state->suspend(waiter); }

    T await_resume() { return m_state->take(); }

private:
    std::shared_ptr<CompletionState<T>> m_state;
};

} // namespace detail

} // namespace tavlen
