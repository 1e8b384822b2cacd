#pragma once

#include "CancelledError.h"
#include "CompletionState.h"

#include <exception>
#include <memory>
#include <stop_token>
#include <utility>

namespace tavlen {

// A one-shot hand-over of a value (or an error) to one waiting coroutine. Any thread may complete it; only the
// first resume() or fail() counts, later ones are ignored. The waiter resumes on its own thread, through that
// thread's event loop, even when the completion comes from that same thread.
// Copies share one completion. If every copy is destroyed before it was completed, the waiter gets
// CancelledError rather than waiting forever; so does a waiter whose stop token is stopped first.
//
//     Completion<int> done;
//     startSomething([done](int value) { done.resume(value); });
//     const int value = co_await done.wait(stop);
template <class T> class Completion
{
public:
    Completion() = default;

    // Completes with a value: resume(value), or resume() for a Completion<void>. Ignored if already completed.
    template <class... Value> void resume(Value&&... value) const
    {
        m_owner->state->finish(std::in_place_index<1>, std::forward<Value>(value)...);
    }

    // Completes with an error, rethrown in the waiter. Ignored if already completed.
    void fail(std::exception_ptr error) const { m_owner->state->finish(std::in_place_index<2>, std::move(error)); }

    // co_await wait(token) gives the value or rethrows the error; it does not suspend when already completed.
    // Throws CancelledError once a stop is requested on token, also when the value came at the same time.
    // One wait only: a second one, even after the first has returned, throws std::logic_error. Needs a thread
    // with a Qt event loop when it has to suspend (std::logic_error otherwise).
    auto wait(std::stop_token token = {}) const;

private:
    struct Owner
    {
        std::shared_ptr<detail::CompletionState<T>> state = std::make_shared<detail::CompletionState<T>>();

        ~Owner() { state->finish(std::in_place_index<2>, std::make_exception_ptr(CancelledError())); }
    };

    std::shared_ptr<Owner> m_owner = std::make_shared<Owner>();
};

template <class T> auto Completion<T>::wait(std::stop_token token) const
{
    return detail::CompletionAwaiter<T>(m_owner->state, std::move(token));
}

} // namespace tavlen
