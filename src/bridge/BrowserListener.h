#pragma once

#include <condition_variable>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>

namespace tavlen {

class SerialQueue;

// Tavlen's end of the rendezvous: holds "owner.lock" in the connection directory, listens on "bridge.sock" and
// hands each accepted connection of the same user to its owner. Peers of other users are closed unseen.
class BrowserListener
{
public:
    // Receives an accepted descriptor, on the listener's own thread; the descriptor then belongs to the receiver.
    using AcceptHandler = std::function<void(int fd)>;

    // Touches nothing on disk.
    explicit BrowserListener(std::filesystem::path directory);
    // Stops the listener. Must not run on the listener's own thread (inside onAccept).
    ~BrowserListener();
    BrowserListener(const BrowserListener&) = delete;
    BrowserListener& operator=(const BrowserListener&) = delete;

    const std::filesystem::path& directory() const { return m_directory; }

    // Takes the owner lock, replaces a stale socket of this user, binds, listens and starts accepting.
    // Throws BridgeFailure: the directory's failures, "Browser connection path is too long.", "Browser connection
    // lock is unavailable.", "Another Tavlen app owns the browser connection. Quit it and retry.", "Invalid or
    // incompatible browser message." (something other than our socket at the socket path), or "Chrome
    // disconnected. Start a new session after reconnecting." (the socket could not be set up).
    void start(AcceptHandler onAccept);

    // Stops listening, removes the socket file and releases the owner lock at once; idempotent. The listening
    // socket is closed on the listener's thread once the accept loop has returned.
    void stop();

private:
    void acceptLoop(int listeningFD, const AcceptHandler& onAccept);
    bool pauseAfterTransientFailure();

    const std::filesystem::path m_directory;
    std::mutex m_lock;
    std::condition_variable m_stopped;
    int m_fd = -1;
    int m_lockFD = -1;
    std::unique_ptr<SerialQueue> m_queue;
};

} // namespace tavlen
