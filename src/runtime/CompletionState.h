#pragma once

#include "CancelledError.h"
#include "Waiter.h"

#include <coroutine>
#include <exception>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <stop_token>
#include <type_traits>
#include <utility>
#include <variant>

namespace tavlen {

namespace detail {

// What the copies of one Completion share with its waiter. Thread-safe; the waiter is woken outside the lock.
template <class T> class CompletionState
{
public:
    using Value = std::conditional_t<std::is_void_v<T>, std::monostate, T>;

    template <std::size_t Index, class... Args> void finish(std::in_place_index_t<Index>, Args&&... outcome)
    {
        std::shared_ptr<Waiter> waiter;
        {
            const std::lock_guard lock(m_mutex);
            if (m_outcome.index() != 0) {
                return;
            }
            m_outcome.template emplace<Index>(std::forward<Args>(outcome)...);
            waiter = std::move(m_waiter);
        }
        if (waiter) {
            waiter->wake();
        }
    }

    // Claims the one wait and suspends handle; null when the outcome is already there and it need not suspend.
    // A second wait is refused: the outcome has been (or is being) handed to the first, and a moved-from value
    // must never pass for a result.
    std::shared_ptr<Waiter> suspend(std::coroutine_handle<> handle, const std::stop_token& token)
    {
        const std::lock_guard lock(m_mutex);
        if (m_claimed) {
            throw std::logic_error("a completion is awaited once");
        }
        if (m_outcome.index() == 0) {
            m_waiter = Waiter::suspend(handle, token);
        }
        m_claimed = true;
        return m_waiter;
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
    std::shared_ptr<Waiter> m_waiter;
    bool m_claimed = false;
};

template <class T> class CompletionAwaiter
{
public:
    CompletionAwaiter(std::shared_ptr<CompletionState<T>> state, std::stop_token token)
        : m_state(std::move(state))
        , m_token(std::move(token))
    {}

    // Copyable, as g++ 12 copies an awaiter awaited by name; only the copy that suspends holds a waiter.
    CompletionAwaiter(const CompletionAwaiter&) = default;
    CompletionAwaiter& operator=(const CompletionAwaiter&) = default;
    CompletionAwaiter(CompletionAwaiter&&) noexcept = default;
    CompletionAwaiter& operator=(CompletionAwaiter&&) noexcept = default;

    ~CompletionAwaiter()
    {
        if (m_waiter) {
            m_waiter->withdraw();
        }
    }

    bool await_ready() const noexcept { return false; }

    bool await_suspend(std::coroutine_handle<> handle)
    {
        m_waiter = m_state->suspend(handle, m_token);
        return m_waiter != nullptr;
    }

    // Once the waiter's token is stopped it gets CancelledError, even if the value came at the same time.
    T await_resume()
    {
        if ((m_waiter && m_waiter->wasAbandoned()) || m_token.stop_requested()) {
            throw CancelledError();
        }
        return m_state->take();
    }

private:
    std::shared_ptr<CompletionState<T>> m_state;
    std::stop_token m_token;
    std::shared_ptr<Waiter> m_waiter;
};

} // namespace detail

} // namespace tavlen
