#pragma once

#include <QObject>

#include <filesystem>
#include <memory>
#include <string>

class QLocalServer;

namespace tavlen {

// One Tavlen per user: the first start listens on a local socket in a private folder; a later start hands its
// message ("reopen" or "open <URL>") to it and ends. Main thread only.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    enum class Claim
    {
        primary,   // this process is the one Tavlen and listens now
        forwarded, // the running Tavlen took the message
        failed,    // neither: the folder is unsafe or the socket could not be made
    };

    // The folder is created with mode 0700 when missing and must be this user's with exactly that mode.
    explicit SingleInstance(std::filesystem::path directory);
    ~SingleInstance() override;

    // $XDG_RUNTIME_DIR/<bundle identifier>, or without that variable the browser rendezvous directory.
    static std::filesystem::path defaultDirectory(const std::string& bundleIdentifier);

    std::filesystem::path socketPath() const { return m_directory / "instance.sock"; }

    // Becomes the one Tavlen, or hands message to the running one. Blocks for at most a few seconds.
    Claim claim(const std::string& message);

Q_SIGNALS:
    // A later start's message, on the main thread.
    void messageReceived(const QString& message);

private:
    void acceptConnections();

    std::filesystem::path m_directory;
    std::unique_ptr<QLocalServer> m_server;
};

} // namespace tavlen
