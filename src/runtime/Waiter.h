#pragma once

#include "ThreadLoop.h"

#include <coroutine>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>

namespace tavlen::detail {

// One suspended coroutine, resumed exactly once, on the thread where it suspended, through that thread's event
// loop: by wake() from any thread, or by a stop request on its token. Every runtime wait is built on it.
// If that thread's loop ends first, the coroutine is resumed there and then, inline, with wasAbandoned() true,
// so its wait throws CancelledError and it unwinds and frees its frame instead of leaking it. A wait on that thread
// from then on is refused.
//
//     void await_suspend(std::coroutine_handle<> handle)
//     {
//         m_waiter = detail::Waiter::suspend(handle, m_token);
//         m_source->onDone([waiter = m_waiter] { waiter->wake(); });
//     }
//     void await_resume()
//     {
//         if (m_waiter->wasAbandoned() || m_token.stop_requested()) {
//             throw CancelledError();
//         }
//     }
//     ~Awaiter() { if (m_waiter) m_waiter->withdraw(); } // the frame went away while suspended
class Waiter : public std::enable_shared_from_this<Waiter>
{
public:
    // Registers handle on the calling thread's loop, woken early by a stop request on token (also one made
    // before the call). Throws std::logic_error on a thread without a Qt event loop.
    static std::shared_ptr<Waiter> suspend(std::coroutine_handle<> handle, std::stop_token token = {});

    explicit Waiter(std::coroutine_handle<> handle); // use suspend()
    Waiter(const Waiter&) = delete;
    Waiter& operator=(const Waiter&) = delete;

    // Resumes the coroutine on its own thread; only the first wake counts. Any thread.
    void wake();

    // On the waiter's thread, once resumed: true when its loop ended before any wake.
    bool wasAbandoned() const;

    // On the waiter's thread, from the awaiter's destructor: the coroutine will not be resumed from here on.
    void withdraw();

private:
    enum class State
    {
        suspended,
        woken,
        resumed
    };

    struct Wake
    {
        Waiter* waiter;

        void operator()() const noexcept { waiter->wake(); }
    };

    void resumeFromLoop();
    void resumeAtLoopEnd();
    // Drops the stop callback and the end registration; true when this call moved the state to resumed.
    bool settle(State expected, bool abandoned);

    mutable std::mutex m_mutex;
    State m_state = State::suspended;
    bool m_abandoned = false;
    std::coroutine_handle<> m_handle;
    ThreadLoop m_loop;
    std::optional<std::stop_callback<Wake>> m_onStop;
};

} // namespace tavlen::detail
