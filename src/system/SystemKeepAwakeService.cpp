#include "SystemKeepAwakeService.h"

#include "SystemServiceError.h"
#include "SystemText.h"

#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>

#include <fcntl.h>

namespace tavlen {

namespace {

const QString logindService = QStringLiteral("org.freedesktop.login1");
const QString logindPath = QStringLiteral("/org/freedesktop/login1");
const QString logindManager = QStringLiteral("org.freedesktop.login1.Manager");

QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

SystemKeepAwakeService::SystemKeepAwakeService(BusConnection bus)
    : m_bus(bus ? std::move(bus) : BusConnection([] { return QDBusConnection::systemBus(); }))
{}

void SystemKeepAwakeService::setEnabled(bool enabled)
{
    if (enabled == m_inhibitor.isOpen()) {
        return;
    }
    if (!enabled) {
        // Closing our descriptor ends the inhibitor; logind notices on its own.
        m_inhibitor.reset();
        return;
    }
    QDBusConnection bus = m_bus();
    if (!bus.isConnected()) {
        throw SystemServiceError(system_text::powerManagementError(bus.lastError().name().toStdString()));
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(logindService, logindPath, logindManager, QStringLiteral("Inhibit"));
    call << QStringLiteral("idle") << fromUtf8(system_text::inhibitorWho) << fromUtf8(system_text::inhibitorWhy)
         << QStringLiteral("block");
    const QDBusMessage reply = bus.call(call, QDBus::Block, static_cast<int>(callTimeout.count()));
    if (reply.type() != QDBusMessage::ReplyMessage) {
        throw SystemServiceError(system_text::powerManagementError(reply.errorName().toStdString()));
    }
    const auto descriptor = reply.arguments().value(0).value<QDBusUnixFileDescriptor>();
    if (!descriptor.isValid()) {
        throw SystemServiceError(system_text::powerManagementError("org.freedesktop.DBus.Error.InvalidArgs"));
    }
    // The message's copy closes with it; ours is kept, close-on-exec so no child inherits the inhibitor.
    m_inhibitor.reset(::fcntl(descriptor.fileDescriptor(), F_DUPFD_CLOEXEC, 0));
    if (!m_inhibitor.isOpen()) {
        throw SystemServiceError(system_text::powerManagementError("org.freedesktop.DBus.Error.LimitsExceeded"));
    }
}

} // namespace tavlen
