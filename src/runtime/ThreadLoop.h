#pragma once

#include <functional>
#include <memory>

namespace tavlen {

// The Qt event loop of one thread, captured where a coroutine suspends so that whoever wakes it, from any
// thread, resumes it back on that thread. Safe to keep and to post through after that thread's loop has gone:
// what is posted then is dropped unrun (never run on a wrong thread, never sent to a destroyed object).
class ThreadLoop
{
public:
    // The calling thread's loop (its event dispatcher); empty on a thread without a Qt event loop, and on a thread
    // whose loop is ending.
    static ThreadLoop current();

    bool hasEventLoop() const { return m_target != nullptr; }

    // Queues fn on the captured thread. Without an event loop there is nowhere to queue, so fn runs inline.
    // Once the captured thread's event dispatcher is destroyed, fn is dropped unrun.
    void post(std::function<void()> fn) const;

    // Calls fn on the captured thread when its event loop ends (as its event dispatcher is destroyed), unless
    // withdrawn first under the same key. False, dropping fn, when there is no loop or it has already ended.
    // Waits use it to end the coroutines still suspended there instead of leaking them.
    bool callAtEnd(const void* key, std::function<void()> fn) const;
    void withdrawAtEnd(const void* key) const;

    // True while something posted through this loop has not run yet. Tests that drive virtual time use it to run
    // every wake-up a timer caused before moving the time on.
    bool hasPendingPosts() const;

    struct Target;

private:
    std::shared_ptr<Target> m_target;
};

} // namespace tavlen
