#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <memory>

namespace tavlen {

// Notices a step of the system's wall clock (set by the user, NTP or a resume): a timerfd on the real-time
// clock armed with TFD_TIMER_CANCEL_ON_SET, which the kernel cancels whenever the clock is set. Without a timerfd
// (never on Linux) it notices nothing.
class ClockChangeWatcher final : public QObject
{
    Q_OBJECT

public:
    explicit ClockChangeWatcher(QObject* parent = nullptr);
    ~ClockChangeWatcher() override;

    bool isWatching() const { return m_fd >= 0; }

Q_SIGNALS:
    void changed();

private:
    bool arm();
    void readable();

    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace tavlen
