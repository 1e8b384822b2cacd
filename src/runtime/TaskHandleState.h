#pragma once

#include "CancelledError.h"
#include "Waiter.h"

#include <QCoroTask>
#include <QObject>

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
// woken outside the lock, each resuming on its own thread.
template <class T> class TaskHandleState : public std::enable_shared_from_this<TaskHandleState<T>>
{
public:
    using Value = std::conditional_t<std::is_void_v<T>, std::monostate, T>;

    std::stop_source stopSource;

    // Requests a stop on the task when owner is destroyed, from inside its destructor, until the task ends.
    void bindTo(QObject& owner)
    {
        const std::weak_ptr<TaskHandleState> weak = this->weak_from_this();
        const std::lock_guard lock(m_mutex);
        m_ownerLink = QObject::connect(&owner, &QObject::destroyed, [weak] {
            if (const std::shared_ptr<TaskHandleState> state = weak.lock()) {
                state->stopSource.request_stop();
            }
        });
    }

    template <std::size_t Index, class U> void finish(std::in_place_index_t<Index>, U&& outcome)
    {
        std::vector<std::shared_ptr<Waiter>> waiters;
        {
            const std::lock_guard lock(m_mutex);
            m_outcome.template emplace<Index>(std::forward<U>(outcome));
            waiters.swap(m_waiters);
            QObject::disconnect(m_ownerLink);
        }
        for (const std::shared_ptr<Waiter>& waiter : waiters) {
            waiter->wake();
        }
    }

    bool isFinished()
    {
        const std::lock_guard lock(m_mutex);
        return m_outcome.index() != 0;
    }

    // Suspends handle until the task finishes; null when it has finished and the waiter need not suspend.
    std::shared_ptr<Waiter> suspend(std::coroutine_handle<> handle, const std::stop_token& token)
    {
        const std::lock_guard lock(m_mutex);
        if (m_outcome.index() != 0) {
            return nullptr;
        }
        return m_waiters.emplace_back(Waiter::suspend(handle, token));
    }

    // Drops a waiter that left early (stopped), so a long task does not collect them.
    void forget(const std::shared_ptr<Waiter>& waiter)
    {
        const std::lock_guard lock(m_mutex);
        std::erase(m_waiters, waiter);
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
    std::vector<std::shared_ptr<Waiter>> m_waiters;
    QMetaObject::Connection m_ownerLink;
};

template <class T> class TaskHandleAwaiter
{
public:
    TaskHandleAwaiter(std::shared_ptr<TaskHandleState<T>> state, std::stop_token token)
        : m_state(std::move(state))
        , m_token(std::move(token))
    {}

    // Copyable, as g++ 12 copies an awaiter awaited by name; only the copy that suspends holds a waiter.
    TaskHandleAwaiter(const TaskHandleAwaiter&) = default;
    TaskHandleAwaiter& operator=(const TaskHandleAwaiter&) = default;
    TaskHandleAwaiter(TaskHandleAwaiter&&) noexcept = default;
    TaskHandleAwaiter& operator=(TaskHandleAwaiter&&) noexcept = default;

    ~TaskHandleAwaiter() { leave(); }

    bool await_ready() const noexcept { return false; }

    bool await_suspend(std::coroutine_handle<> handle)
    {
        m_waiter = m_state->suspend(handle, m_token);
        return m_waiter != nullptr;
    }

    T await_resume()
    {
        const bool abandoned = m_waiter && m_waiter->wasAbandoned();
        leave();
        if (abandoned || m_token.stop_requested()) {
            throw CancelledError();
        }
        return m_state->outcome();
    }

private:
    void leave()
    {
        if (m_waiter) {
            m_waiter->withdraw();
            m_state->forget(m_waiter);
            m_waiter.reset();
        }
    }

    std::shared_ptr<TaskHandleState<T>> m_state;
    std::stop_token m_token;
    std::shared_ptr<Waiter> m_waiter;
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

template <class T> QCoro::Task<T> awaitTaskResult(std::shared_ptr<TaskHandleState<T>> state, std::stop_token token)
{
    co_return co_await TaskHandleAwaiter<T>(std::move(state), std::move(token));
}

} // namespace detail

} // namespace tavlen
