#pragma once

#include <QDBusConnection>
#include <QObject>

namespace tavlen {

// Notices the system waking from sleep: logind's PrepareForSleep(false) on the system bus. Without a bus (or
// without logind on it) there are no wake notices.
class WakeWatcher final : public QObject
{
    Q_OBJECT

public:
    explicit WakeWatcher(QObject* parent = nullptr);
    // Listens on the given bus instead of the system bus.
    WakeWatcher(QDBusConnection bus, QObject* parent = nullptr);

    bool isWatching() const { return m_watching; }

Q_SIGNALS:
    void woke();

private Q_SLOTS:
    void prepareForSleep(bool goingToSleep);

private:
    bool m_watching = false;
};

} // namespace tavlen
