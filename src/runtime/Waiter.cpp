#include "Waiter.h"

#include <stdexcept>

namespace tavlen::detail {

std::shared_ptr<Waiter> Waiter::suspend(std::coroutine_handle<> handle, std::stop_token token)
{
    auto waiter = std::make_shared<Waiter>(handle);
    waiter->m_loop = ThreadLoop::current();
    const bool registered = waiter->m_loop.callAtEnd(waiter.get(), [weak = std::weak_ptr<Waiter>(waiter)] {
        if (const std::shared_ptr<Waiter> ending = weak.lock()) {
            ending->resumeAtLoopEnd();
        }
    });
    if (!registered) {
        // Resumed from nowhere, or from whichever thread happened to wake it: neither is acceptable.
        throw std::logic_error("a wait needs a thread with a running Qt event loop");
    }
    // Last, because a stop requested before the call wakes it right here.
    waiter->m_onStop.emplace(std::move(token), Wake{waiter.get()});
    return waiter;
}

Waiter::Waiter(std::coroutine_handle<> handle)
    : m_handle(handle)
{}

void Waiter::wake()
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_state != State::suspended) {
            return;
        }
        m_state = State::woken;
    }
    m_loop.post([self = shared_from_this()] { self->resumeFromLoop(); });
}

bool Waiter::wasAbandoned() const
{
    const std::lock_guard lock(m_mutex);
    return m_abandoned;
}

void Waiter::withdraw()
{
    settle(State::suspended, false);
    settle(State::woken, false);
}

void Waiter::resumeFromLoop()
{
    if (settle(State::woken, false)) {
        m_handle.resume();
    }
}

void Waiter::resumeAtLoopEnd()
{
    // A wake already queued would be dropped with the loop: the outcome is there, so deliver it now. A waiter
    // nobody woke is abandoned.
    if (settle(State::woken, false) || settle(State::suspended, true)) {
        m_handle.resume();
    }
}

bool Waiter::settle(State expected, bool abandoned)
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_state != expected) {
            return false;
        }
        m_state = State::resumed;
        m_abandoned = abandoned;
    }
    m_loop.withdrawAtEnd(this);
    m_onStop.reset(); // waits for a stop callback running on another thread, which finds the waiter settled
    return true;
}

} // namespace tavlen::detail
