#include "ClockChangeWatcher.h"

#include "ExecutionLog.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>

namespace tavlen {

ClockChangeWatcher::ClockChangeWatcher(QObject* parent)
    : QObject(parent)
    , m_fd(timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC))
{
    if (m_fd < 0 || !arm()) {
        qCWarning(executionLog, "Clock changes go unnoticed: %s", std::strerror(errno));
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &ClockChangeWatcher::readable);
}

ClockChangeWatcher::~ClockChangeWatcher()
{
    m_notifier.reset();
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool ClockChangeWatcher::arm()
{
    // An absolute expiry that never comes: the timer only ever ends by being cancelled.
    itimerspec spec{};
    spec.it_value.tv_sec = std::numeric_limits<time_t>::max() / 2;
    return timerfd_settime(m_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &spec, nullptr) == 0;
}

void ClockChangeWatcher::readable()
{
    std::uint64_t expirations = 0;
    const ssize_t result = ::read(m_fd, &expirations, sizeof expirations);
    if (result < 0 && errno == ECANCELED) {
        // The cancellation also disarmed the timer.
        arm();
        Q_EMIT changed();
    }
}

} // namespace tavlen
