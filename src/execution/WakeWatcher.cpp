#include "WakeWatcher.h"

#include "ExecutionLog.h"

namespace tavlen {

WakeWatcher::WakeWatcher(QObject* parent)
    : WakeWatcher(QDBusConnection::systemBus(), parent)
{}

WakeWatcher::WakeWatcher(QDBusConnection bus, QObject* parent)
    : QObject(parent)
{
    if (!bus.isConnected()) {
        qCInfo(executionLog, "No system bus: wake-ups go unnoticed");
        return;
    }
    m_watching = bus.connect(QStringLiteral("org.freedesktop.login1"),
                             QStringLiteral("/org/freedesktop/login1"),
                             QStringLiteral("org.freedesktop.login1.Manager"),
                             QStringLiteral("PrepareForSleep"),
                             this,
                             SLOT(prepareForSleep(bool)));
}

void WakeWatcher::prepareForSleep(bool goingToSleep)
{
    if (!goingToSleep) {
        Q_EMIT woke();
    }
}

} // namespace tavlen
