#pragma once

#include "CancelledError.h"
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

template <class T> class CompletionState;

} // namespace detail

// A one-shot hand-over of a value (or an error) to one waiting coroutine. Any thread may complete it; only the
// first resume() or fail() counts, later ones are ignored. The waiter resumes on its own thread, through that
// thread's event loop, even when the completion comes from that same thread.
// Copies share one completion. If every copy is destroyed before it was completed, the waiter gets
// CancelledError rather than waiting forever.
//
//     Completion<int> done;
//     startSomething([done](int value) { done.resume(value); });
//     const int value = co_await done.wait();
template <class T> class Completion
{
public:
    Completion() = default;

    // Completes with a value. Ignored if already completed.
    template <class U = T>

    requires(!std::is_void_v<T> && std::is_constructible_v<T, U&&>) void resume(U&& value) const
    {
        m_owner->state->finish(std::in_place_index<1>, std::forward<U>(value));
    }

    // Completes a Completion<void>. Ignored if already completed.
    void resume() const requires std::is_void_v<T> { m_owner->state->finish(std::in_place_index<1>, std::monostate{}); }

    // Completes with an error, rethrown in the waiter. Ignored if already completed.
    void fail(std::exception_ptr error) const { m_owner->state->finish(std::in_place_index<2>, std::move(error)); }

    // co_await wait() gives the value or rethrows the error; it does not suspend when already completed.
    // One waiter only: a second one is a programming error.
    auto wait() const;

private:
    struct Owner
    {
        std::shared_ptr<detail::CompletionState<T>> state = std::make_shared<detail::CompletionState<T>>();

        ~Owner() { state->finish(std::in_place_index<2>, std::make_exception_ptr(CancelledError())); }
    };

    std::shared_ptr<Owner> m_owner = std::make_shared<Owner>();
};

namespace detail {

template <class T> class CompletionState
{
public:
    using Value = std::conditional_t<std::is_void_v<T>, std::monostate, T>;

    template <std::size_t Index, class U> void finish(std::in_place_index_t<Index>, U&& outcome)
    {
        std::coroutine_handle<> waiter;
        ThreadLoop loop;
        {
            const std::lock_guard lock(m_mutex);
            if (m_outcome.index() != 0) {
                return;
            }
            m_outcome.template emplace<Index>(std::forward<U>(outcome));
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

template <class T> auto Completion<T>::wait() const
{
    return detail::CompletionAwaiter<T>(m_owner->state);
}

} // namespace tavlen
