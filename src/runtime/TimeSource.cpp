#include "TimeSource.h"

#include "FileDescriptor.h"
#include "ThreadLoop.h"

#include <QSocketNotifier>

#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <stdexcept>
#include <system_error>

namespace tavlen {

namespace {

clockid_t clockId(TimeSource::Clock clock)
{
    return clock == TimeSource::Clock::bootTime ? CLOCK_BOOTTIME : CLOCK_MONOTONIC;
}

// One timerfd armed at an absolute deadline, watched by the thread's event loop. A boot-time deadline that passes
// while the system sleeps makes the descriptor readable as the system wakes.
class SystemTimer final : public TimeSource::Timer
{
public:
    SystemTimer(TimeSource::Clock clock, std::chrono::nanoseconds deadline, std::function<void()> fire)
        : m_loop(ThreadLoop::current())
        , m_fire(std::make_shared<std::function<void()>>(std::move(fire)))
    {
        if (!m_loop.hasEventLoop()) {
            throw std::logic_error("a timer needs a thread with a running Qt event loop");
        }
        m_fd.reset(::timerfd_create(clockId(clock), TFD_NONBLOCK | TFD_CLOEXEC));
        if (!m_fd.isOpen()) {
            throw std::system_error(errno, std::generic_category(), "cannot create a timer");
        }
        // An all-zero value would disarm the timer rather than fire it: the earliest deadline is 1 ns.
        const std::chrono::nanoseconds at = std::max(deadline, std::chrono::nanoseconds(1));
        itimerspec spec{};
        spec.it_value.tv_sec = static_cast<time_t>(at / std::chrono::seconds(1));
        spec.it_value.tv_nsec = static_cast<long>((at % std::chrono::seconds(1)).count());
        if (::timerfd_settime(m_fd.get(), TFD_TIMER_ABSTIME, &spec, nullptr) != 0) {
            const int error = errno;
            throw std::system_error(error, std::generic_category(), "cannot arm a timer");
        }
        m_notifier = std::make_unique<QSocketNotifier>(m_fd.get(), QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { expire(); });
    }

    ~SystemTimer() override
    {
        m_notifier.reset(); // before the descriptor it watches closes
    }

    SystemTimer(const SystemTimer&) = delete;
    SystemTimer& operator=(const SystemTimer&) = delete;

private:
    // Fires through the loop, so the owner may destroy the timer from fire without deleting the notifier inside
    // its own event.
    void expire()
    {
        std::uint64_t expirations = 0;
        [[maybe_unused]] const ssize_t ignored = ::read(m_fd.get(), &expirations, sizeof expirations);
        m_notifier->setEnabled(false);
        m_loop.post([weak = std::weak_ptr<std::function<void()>>(m_fire)] {
            if (const std::shared_ptr<std::function<void()>> fire = weak.lock()) {
                (*fire)();
            }
        });
    }

    ThreadLoop m_loop;
    std::shared_ptr<std::function<void()>> m_fire;
    FileDescriptor m_fd;
    std::unique_ptr<QSocketNotifier> m_notifier; // destroyed before m_fd closes
};

class SystemTimeSource final : public TimeSource
{
public:
    Date date() const override { return Date::now(); }

    std::chrono::nanoseconds now(Clock clock) const override
    {
        timespec time{};
        // Cannot fail for a valid clock id and pointer on Linux, which has had CLOCK_BOOTTIME since 2.6.39.
        ::clock_gettime(clockId(clock), &time);
        return std::chrono::seconds(time.tv_sec) + std::chrono::nanoseconds(time.tv_nsec);
    }

    std::unique_ptr<Timer>
    startTimer(Clock clock, std::chrono::nanoseconds deadline, std::function<void()> fire) const override
    {
        return std::make_unique<SystemTimer>(clock, deadline, std::move(fire));
    }
};

} // namespace

const TimeSource& systemTime()
{
    static const SystemTimeSource source;
    return source;
}

std::chrono::nanoseconds deadlineAfter(std::chrono::nanoseconds now, std::chrono::milliseconds duration)
{
    if (duration <= std::chrono::milliseconds::zero()) {
        return now;
    }
    const auto room = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::nanoseconds::max() - now);
    if (duration >= room) {
        return std::chrono::nanoseconds::max();
    }
    return now + std::chrono::duration_cast<std::chrono::nanoseconds>(duration);
}

} // namespace tavlen
