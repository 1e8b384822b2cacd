#include "Sleep.h"

#include "Waiter.h"

#include <coroutine>
#include <memory>
#include <utility>

namespace tavlen {

namespace {

// Movable, as g++ 12 requires of awaiters. The timer and the waiter are made, used and dropped on the sleeping
// thread; only the stop request may come from elsewhere, and it only wakes the waiter.
class TimerAwaiter
{
public:
    TimerAwaiter(const TimeSource& time,
                 TimeSource::Clock clock,
                 std::chrono::nanoseconds deadline,
                 std::stop_token token)
        : m_time(&time)
        , m_clock(clock)
        , m_deadline(deadline)
        , m_token(std::move(token))
    {}

    TimerAwaiter(TimerAwaiter&&) noexcept = default;
    TimerAwaiter& operator=(TimerAwaiter&&) noexcept = default;

    ~TimerAwaiter()
    {
        m_timer.reset();
        if (m_waiter) {
            m_waiter->withdraw();
        }
    }

    bool await_ready() const noexcept { return false; }

    void await_suspend(std::coroutine_handle<> handle)
    {
        m_waiter = detail::Waiter::suspend(handle, m_token);
        m_timer = m_time->startTimer(m_clock, m_deadline, [waiter = m_waiter] { waiter->wake(); });
    }

    void await_resume()
    {
        m_timer.reset();
        if (m_waiter->wasAbandoned() || m_token.stop_requested()) {
            throw CancelledError();
        }
    }

private:
    const TimeSource* m_time;
    TimeSource::Clock m_clock;
    std::chrono::nanoseconds m_deadline;
    std::stop_token m_token;
    std::shared_ptr<detail::Waiter> m_waiter;
    std::unique_ptr<TimeSource::Timer> m_timer;
};

} // namespace

QCoro::Task<void> sleepFor(std::chrono::milliseconds duration, std::stop_token token, const TimeSource& time)
{
    if (token.stop_requested()) {
        throw CancelledError();
    }
    const std::chrono::nanoseconds deadline = deadlineAfter(time.now(TimeSource::Clock::monotonic), duration);
    TimerAwaiter timer(time, TimeSource::Clock::monotonic, deadline, std::move(token));
    co_await std::move(timer);
}

QCoro::Task<void> sleepUntil(std::chrono::nanoseconds deadline, std::stop_token token, const TimeSource& time)
{
    if (token.stop_requested()) {
        throw CancelledError();
    }
    TimerAwaiter timer(time, TimeSource::Clock::bootTime, deadline, std::move(token));
    co_await std::move(timer);
}

} // namespace tavlen
