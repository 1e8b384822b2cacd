#include "Sleep.h"

#include "ThreadLoop.h"

#include <QTimer>

#include <algorithm>
#include <coroutine>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>

namespace tavlen {

namespace {

// QTimer takes whole milliseconds in an int; longer sleeps are taken in pieces of this size.
constexpr std::chrono::milliseconds longestTimerInterval{std::numeric_limits<int>::max()};

// Everything one suspended sleep needs. Created, used and destroyed on the sleeping thread only; the stop
// callback, which may run on any thread, only posts to that thread's loop.
struct SleepState
{
    std::coroutine_handle<> handle;
    QTimer timer;
    std::optional<std::stop_callback<std::function<void()>>> onStop;
};

// Wakes the sleeper once, whichever of timer and stop comes first; later wakes find the state gone or idle.
void wake(const std::weak_ptr<SleepState>& weak)
{
    const std::shared_ptr<SleepState> state = weak.lock();
    if (!state || !state->handle) {
        return;
    }
    const std::coroutine_handle<> handle = std::exchange(state->handle, nullptr);
    state->timer.stop();
    state->onStop.reset();
    handle.resume();
}

// Movable, as g++ 12 requires of awaiters; holds the state that the coroutine frame keeps while it sleeps.
class SleepAwaiter
{
public:
    SleepAwaiter(std::chrono::milliseconds duration, std::stop_token token)
        : m_duration(duration)
        , m_token(std::move(token))
    {}

    bool await_ready() const noexcept { return false; }

    void await_suspend(std::coroutine_handle<> handle)
    {
        const ThreadLoop loop = ThreadLoop::current();
        if (!loop.hasEventLoop()) {
            throw std::logic_error("sleepFor needs a thread with a Qt event loop");
        }
        m_state = std::make_shared<SleepState>();
        m_state->handle = handle;
        const std::weak_ptr<SleepState> weak = m_state;
        m_state->timer.setSingleShot(true);
        m_state->timer.setTimerType(Qt::PreciseTimer);
        // Woken through the loop, so the timer is never destroyed inside its own timeout emission.
        QObject::connect(
            &m_state->timer, &QTimer::timeout, &m_state->timer, [weak, loop] { loop.post([weak] { wake(weak); }); });
        m_state->timer.start(m_duration);
        m_state->onStop.emplace(m_token, [weak, loop] { loop.post([weak] { wake(weak); }); });
    }

    void await_resume() const noexcept {}

private:
    std::chrono::milliseconds m_duration;
    std::stop_token m_token;
    std::shared_ptr<SleepState> m_state;
};

} // namespace

QCoro::Task<void> sleepFor(std::chrono::milliseconds duration, std::stop_token token)
{
    std::chrono::milliseconds remaining = std::max(duration, std::chrono::milliseconds::zero());
    do {
        if (token.stop_requested()) {
            throw CancelledError();
        }
        const std::chrono::milliseconds piece = std::min(remaining, longestTimerInterval);
        co_await SleepAwaiter(piece, token);
        remaining -= piece;
    } while (remaining > std::chrono::milliseconds::zero());
    if (token.stop_requested()) {
        throw CancelledError();
    }
}

} // namespace tavlen
