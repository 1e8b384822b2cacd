#include "SingleInstance.h"

#include "BridgeFailure.h"
#include "BrowserConnectionDirectory.h"
#include "FileDescriptor.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <fcntl.h>
#include <sys/file.h>

#include <cstdlib>

namespace tavlen {

namespace {

constexpr int connectTimeoutMs = 2000;
constexpr int answerTimeoutMs = 5000;
const QByteArray acknowledgement = QByteArrayLiteral("ok\n");

QString socketName(const std::filesystem::path& path)
{
    return QString::fromStdString(path.string());
}

// Hands the message to a listening Tavlen; true once it acknowledged it.
bool forward(const std::filesystem::path& socket, const std::string& message)
{
    QLocalSocket connection;
    connection.connectToServer(socketName(socket));
    if (!connection.waitForConnected(connectTimeoutMs)) {
        return false;
    }
    connection.write(QByteArray::fromStdString(message + "\n"));
    connection.waitForBytesWritten(answerTimeoutMs);
    QByteArray answer;
    while (!answer.endsWith('\n') && connection.waitForReadyRead(answerTimeoutMs)) {
        answer += connection.readAll();
    }
    return answer == acknowledgement;
}

} // namespace

SingleInstance::SingleInstance(std::filesystem::path directory)
    : m_directory(std::move(directory))
{}

SingleInstance::~SingleInstance() = default;

std::filesystem::path SingleInstance::defaultDirectory(const std::string& bundleIdentifier)
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && std::filesystem::path(runtime).is_absolute()) {
        return std::filesystem::path(runtime) / bundleIdentifier;
    }
    return browserConnectionDirectory(bundleIdentifier);
}

SingleInstance::Claim SingleInstance::claim(const std::string& message)
{
    try {
        std::error_code ignored;
        std::filesystem::create_directories(m_directory.parent_path(), ignored);
        ensureConnectionDirectory(m_directory);
    } catch (const BridgeFailure&) {
        return Claim::failed;
    }
    // Two starts at once take turns: the second then finds the first listening.
    const FileDescriptor lock(::open((m_directory / "instance.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!lock.isOpen() || ::flock(lock.get(), LOCK_EX) != 0) {
        return Claim::failed;
    }
    if (forward(socketPath(), message)) {
        return Claim::forwarded;
    }
    // Nobody answers: a socket left behind by an ended Tavlen is removed.
    QLocalServer::removeServer(socketName(socketPath()));
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(socketName(socketPath()))) {
        return Claim::failed;
    }
    m_server = std::move(server);
    connect(m_server.get(), &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    return Claim::primary;
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket* connection = m_server->nextPendingConnection()) {
        connect(connection, &QLocalSocket::disconnected, connection, &QObject::deleteLater);
        connect(connection, &QLocalSocket::readyRead, this, [this, connection] {
            if (!connection->canReadLine()) {
                return;
            }
            const QString message = QString::fromUtf8(connection->readLine()).trimmed();
            connection->write(acknowledgement);
            connection->disconnectFromServer();
            Q_EMIT messageReceived(message);
        });
    }
}

} // namespace tavlen
