#pragma once

#include "FileDescriptor.h"

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
    // Stops the listener without waiting for its thread, so it may run while onAccept is busy (even waiting for
    // the destroying thread) or inside onAccept; the thread ends once onAccept has returned.
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
    // What the accept loop shares with the listener; it outlives the listener until the loop has returned.
    struct State
    {
        std::mutex lock;
        std::condition_variable stopped;
        int fd = -1; // closed on the listener's thread, after the accept loop has returned
        FileDescriptor ownerLock;
    };

    static void acceptLoop(const std::shared_ptr<State>& state, int listeningFD, const AcceptHandler& onAccept);
    static bool pauseAfterTransientFailure(State& state, int listeningFD);

    const std::filesystem::path m_directory;
    const std::shared_ptr<State> m_state;
    std::unique_ptr<SerialQueue> m_queue;
};

} // namespace tavlen
