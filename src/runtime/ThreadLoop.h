#pragma once

#include <coroutine>
#include <functional>
#include <memory>

namespace tavlen {

// The Qt event loop of one thread, captured where a coroutine suspends so that whoever wakes it, from any
// thread, resumes it back on that thread. Safe to keep and to post through after that thread's loop has gone:
// what is posted then is dropped unrun (never run on a wrong thread, never sent to a destroyed object).
class ThreadLoop
{
public:
    // The calling thread's loop (its event dispatcher); empty on a thread without a Qt event loop.
    static ThreadLoop current();

    bool hasEventLoop() const { return m_target != nullptr; }

    // Queues fn on the captured thread. Without an event loop there is nowhere to queue, so fn runs inline.
    // Once the captured thread's event dispatcher is destroyed, fn is dropped unrun.
    void post(std::function<void()> fn) const;

    // Resumes the coroutine on the captured thread (inline when there is no event loop).
    void resume(std::coroutine_handle<> handle) const;

    struct Target;

private:
    std::shared_ptr<Target> m_target;
};

} // namespace tavlen
