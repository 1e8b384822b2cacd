#pragma once

#include "TaskHandleState.h"

#include <QCoroTask>

#include <functional>
#include <memory>
#include <stop_token>
#include <type_traits>

namespace tavlen {

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
