#pragma once

#include "TaskHandleState.h"

#include <QCoroTask>
#include <QObject>

#include <functional>
#include <memory>
#include <stop_token>
#include <type_traits>

namespace tavlen {

// A started task that can be cancelled and awaited by any number of waiters, each of which gets its result
// (a copy) or its error. The body starts at once, on the calling thread, with the token of the task's own
// stop source. Copies share one task; dropping every copy neither cancels nor stops it.
//
// A body that uses an object (captures this) is bound to it as its owner: the owner's destruction cancels the
// task from inside the owner's destructor, and from then on every runtime wait in the body throws
// CancelledError, even one whose value had already arrived, so no code after a wait runs with a dangling owner.
// Such a body awaits only runtime waits given its token (wrap anything else in withTimeout or a Completion), and
// lets CancelledError pass without touching the owner.
//
//     m_refresh.emplace(*this, [this](std::stop_token stop) -> QCoro::Task<int> {   // std::optional<TaskHandle>
//         co_await sleepFor(1s, stop);
//         co_return m_value;                    // never reached once *this is gone
//     });
//     m_refresh->cancel();                      // the sleep throws CancelledError
//     const int value = co_await m_refresh->result(stop);
template <class T> class TaskHandle
{
    static_assert(std::is_void_v<T> || std::is_copy_constructible_v<T>, "every waiter gets a copy of the result");

public:
    using Body = std::function<QCoro::Task<T>(std::stop_token)>;

    explicit TaskHandle(Body body);
    // Bound to owner, which must live on the calling thread: cancelled when owner is destroyed.
    TaskHandle(QObject& owner, Body body);

    // True once the body has returned or thrown.
    bool isFinished() const;

    // Requests a stop on the task's token; the body decides when to end (CancelledError from its waits).
    void cancel() const;

    // The body's value, or rethrows what it threw (CancelledError when it ended on a stop). Resumes the
    // waiter on its own thread; does not suspend when the task has already finished. A stop on token
    // abandons the wait (not the task) with CancelledError.
    QCoro::Task<T> result(std::stop_token token = {}) const;

private:
    std::shared_ptr<detail::TaskHandleState<T>> m_state;
};

template <class T>
TaskHandle<T>::TaskHandle(Body body)
    : m_state(std::make_shared<detail::TaskHandleState<T>>())
{
    detail::driveTask<T>(m_state, std::move(body));
}

template <class T>
TaskHandle<T>::TaskHandle(QObject& owner, Body body)
    : m_state(std::make_shared<detail::TaskHandleState<T>>())
{
    m_state->bindTo(owner);
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

template <class T> QCoro::Task<T> TaskHandle<T>::result(std::stop_token token) const
{
    return detail::awaitTaskResult<T>(m_state, std::move(token));
}

} // namespace tavlen
