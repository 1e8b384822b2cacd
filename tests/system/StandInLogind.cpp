#include "StandInLogind.h"

#include "FileDescriptor.h"

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <stdexcept>

namespace tavlen::test {

struct StandInLogind::Shared
{
    mutable std::mutex mutex;
    std::vector<FileDescriptor> writeEnds;
    std::vector<QString> lastArguments;
};

class LogindManager : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public:
    explicit LogindManager(std::shared_ptr<StandInLogind::Shared> shared)
        : m_shared(std::move(shared))
    {}

public Q_SLOTS:

    QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString& why, const QString& mode)
    {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) {
            return {};
        }
        FileDescriptor readEnd(ends[0]);
        std::lock_guard lock(m_shared->mutex);
        m_shared->writeEnds.emplace_back(ends[1]);
        m_shared->lastArguments = {what, who, why, mode};
        return QDBusUnixFileDescriptor(readEnd.get());
    }

private:
    std::shared_ptr<StandInLogind::Shared> m_shared;
};

StandInLogind::StandInLogind(const QString& busAddress)
    : m_shared(std::make_shared<Shared>())
{
    m_thread.start();
    auto* service = new LogindManager(m_shared);
    service->moveToThread(&m_thread);
    m_service = service;
    QDBusConnection bus = QDBusConnection::connectToBus(busAddress, QStringLiteral("stand-in-logind"));
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/login1"), service, QDBusConnection::ExportAllSlots) ||
        !bus.registerService(QStringLiteral("org.freedesktop.login1"))) {
        throw std::runtime_error("the stand-in logind could not register");
    }
}

StandInLogind::~StandInLogind()
{
    QDBusConnection::disconnectFromBus(QStringLiteral("stand-in-logind"));
    m_thread.quit();
    m_thread.wait();
    delete m_service; // its thread has ended
}

int StandInLogind::inhibitCalls() const
{
    std::lock_guard lock(m_shared->mutex);
    return static_cast<int>(m_shared->writeEnds.size());
}

std::vector<QString> StandInLogind::lastArguments() const
{
    std::lock_guard lock(m_shared->mutex);
    return m_shared->lastArguments;
}

bool StandInLogind::isHeld(std::size_t index) const
{
    std::lock_guard lock(m_shared->mutex);
    pollfd entry{m_shared->writeEnds.at(index).get(), POLLOUT, 0};
    ::poll(&entry, 1, 0);
    return (entry.revents & POLLERR) == 0;
}

} // namespace tavlen::test

#include "StandInLogind.moc"
