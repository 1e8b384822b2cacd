#pragma once

#include <coroutine>
#include <functional>

class QObject;

namespace tavlen {

// The Qt event loop of one thread, captured where a coroutine suspends so that whoever wakes it, from any
// thread, resumes it back on that thread. The captured thread must keep its event loop until then.
class ThreadLoop
{
public:
    // The calling thread's loop (its event dispatcher); empty on a thread without a Qt event loop.
    static ThreadLoop current();

    bool hasEventLoop() const { return m_dispatcher != nullptr; }

    // Queues fn on the captured thread. Without an event loop there is nowhere to queue, so fn runs inline.
    void post(std::function<void()> fn) const;

    // Resumes the coroutine on the captured thread (inline when there is no event loop).
    void resume(std::coroutine_handle<> handle) const;

private:
    QObject* m_dispatcher = nullptr;
};

} // namespace tavlen
