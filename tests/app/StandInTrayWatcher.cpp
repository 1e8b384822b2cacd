#include "StandInTrayWatcher.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include <stdexcept>

namespace tavlen::test {

class TrayWatcher : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)

public:
    explicit TrayWatcher(std::shared_ptr<StandInTrayWatcher::Shared> shared)
        : m_shared(std::move(shared))
    {}

    bool isHostRegistered() const { return true; }

    int protocolVersion() const { return 0; }

    QStringList items() const
    {
        std::lock_guard lock(m_shared->mutex);
        return m_shared->items;
    }

public Q_SLOTS:

    void RegisterStatusNotifierItem(const QString& service, const QDBusMessage& message)
    {
        // An item may give only its object path; then its bus name is the caller's.
        const QString item = service.startsWith(QLatin1Char('/')) ? message.service() + service : service;
        std::lock_guard lock(m_shared->mutex);
        m_shared->items.append(item);
    }

    void RegisterStatusNotifierHost(const QString&) {}

private:
    std::shared_ptr<StandInTrayWatcher::Shared> m_shared;
};

StandInTrayWatcher::StandInTrayWatcher(const QString& busAddress)
    : m_shared(std::make_shared<Shared>())
{
    m_thread.start();
    auto* watcher = new TrayWatcher(m_shared);
    watcher->moveToThread(&m_thread);
    m_watcher = watcher;
    QDBusConnection bus = QDBusConnection::connectToBus(busAddress, QStringLiteral("stand-in-tray-watcher"));
    if (!bus.registerObject(QStringLiteral("/StatusNotifierWatcher"),
                            watcher,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties) ||
        !bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"))) {
        throw std::runtime_error("the stand-in tray watcher could not register");
    }
}

StandInTrayWatcher::~StandInTrayWatcher()
{
    QDBusConnection::disconnectFromBus(QStringLiteral("stand-in-tray-watcher"));
    m_thread.quit();
    m_thread.wait();
    delete m_watcher; // its thread has ended
}

QStringList StandInTrayWatcher::registeredItems() const
{
    std::lock_guard lock(m_shared->mutex);
    return m_shared->items;
}

} // namespace tavlen::test

#include "StandInTrayWatcher.moc"
