#include "BrowserListener.h"

#include "BridgeFailure.h"
#include "BrowserConnectionDirectory.h"
#include "SerialQueue.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>
#include <utility>

namespace tavlen {

namespace {

constexpr int backlog = 8;
// How long the accept loop rests after a failure that may pass (no descriptors or memory left, an aborted
// connection) before it tries again.
constexpr auto transientFailurePause = std::chrono::milliseconds(100);

bool isTransientAcceptFailure(int error)
{
    return error == ECONNABORTED || error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM ||
           error == EPROTO;
}

// The locked lock file; on a failure the file is closed again, which releases its lock.
FileDescriptor takeOwnerLock(const std::filesystem::path& path)
{
    FileDescriptor fd(::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd.isOpen()) {
        throw BridgeFailure(bridge_text::lockUnavailable);
    }

    struct stat info
    {};

    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != getuid() ||
        (info.st_mode & 07777) != 0600 || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        throw BridgeFailure(bridge_text::connectionOwnedElsewhere);
    }
    return fd;
}

// Binds and listens on path; gives the listening socket.
FileDescriptor listenAt(const std::filesystem::path& path, const sockaddr_un& address)
{
    FileDescriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd.isOpen()) {
        throw BridgeFailure(bridge_text::chromeDisconnected);
    }
    if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(path.c_str(), 0600) != 0 || ::listen(fd.get(), backlog) != 0) {
        throw BridgeFailure(bridge_text::chromeDisconnected);
    }
    return fd;
}

bool isSameUserPeer(int fd)
{
    ucred credentials{};
    socklen_t size = sizeof credentials;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 && size == sizeof credentials &&
           credentials.uid == getuid();
}

} // namespace

BrowserListener::BrowserListener(std::filesystem::path directory)
    : m_directory(std::move(directory))
    , m_state(std::make_shared<State>())
    , m_queue(std::make_unique<SerialQueue>("org.tavlen.Tavlen.bridge.listener.accept"))
{}

BrowserListener::~BrowserListener()
{
    stop();
    // The queue still runs the accept loop until onAccept returns, then the closing job queued by stop. Joining it
    // here could wait forever on an onAccept that waits for this thread, so another thread joins it.
    std::thread([queue = std::move(m_queue)]() mutable { queue.reset(); }).detach();
}

void BrowserListener::start(AcceptHandler onAccept)
{
    ensureConnectionDirectory(m_directory);
    const auto socketPath = m_directory / bridgeSocketFileName;
    const sockaddr_un address = makeSocketAddress(socketPath);
    FileDescriptor ownerLock = takeOwnerLock(m_directory / ownerLockFileName);

    struct stat info
    {};

    if (::lstat(socketPath.c_str(), &info) == 0) {
        // The socket of an earlier run that did not stop cleanly is replaced; anything else is left alone.
        if (!S_ISSOCK(info.st_mode) || info.st_uid != getuid()) {
            throw BridgeFailure::invalidMessage();
        }
        ::unlink(socketPath.c_str());
    }
    const int fd = listenAt(socketPath, address).release();
    {
        std::lock_guard guard(m_state->lock);
        m_state->fd = fd;
        m_state->ownerLock = std::move(ownerLock);
    }
    m_queue->post([state = m_state, fd, onAccept = std::move(onAccept)] { acceptLoop(state, fd, onAccept); });
}

void BrowserListener::acceptLoop(const std::shared_ptr<State>& state, int listeningFD, const AcceptHandler& onAccept)
{
    for (;;) {
        {
            // Ends once this socket is no longer the one listening (stopped, or stopped and started again).
            std::lock_guard guard(state->lock);
            if (state->fd != listeningFD) {
                return;
            }
        }
        FileDescriptor connection(::accept4(listeningFD, nullptr, nullptr, SOCK_CLOEXEC));
        if (!connection.isOpen()) {
            if (errno == EINTR) {
                continue;
            }
            // Running out of descriptors or memory, or a peer that gave up while queued, passes: try again
            // shortly rather than leave Chrome without Tavlen until the next launch.
            if (isTransientAcceptFailure(errno) && pauseAfterTransientFailure(*state, listeningFD)) {
                continue;
            }
            return;
        }
        if (!isSameUserPeer(connection.get())) {
            continue; // closed unseen
        }
        onAccept(connection.release());
    }
}

bool BrowserListener::pauseAfterTransientFailure(State& state, int listeningFD)
{
    std::unique_lock guard(state.lock);
    state.stopped.wait_for(guard, transientFailurePause, [&] { return state.fd != listeningFD; });
    return state.fd == listeningFD;
}

void BrowserListener::stop()
{
    int fd = -1;
    FileDescriptor ownerLock;
    {
        std::lock_guard guard(m_state->lock);
        fd = std::exchange(m_state->fd, -1);
        ownerLock = std::move(m_state->ownerLock);
    }
    if (fd < 0) {
        return;
    }
    m_state->stopped.notify_all();
    // Wakes the accept loop, which then ends; the socket closes on its queue after the loop has returned, so its
    // number is never reused under a running accept(). The accept loop never touches the lock file, which is
    // released at once: a start right after stop must find the lock free even while onAccept is still busy.
    ::shutdown(fd, SHUT_RDWR);
    ::unlink((m_directory / bridgeSocketFileName).c_str());
    ownerLock.reset();
    m_queue->post([socket = std::make_shared<FileDescriptor>(fd)] { socket->reset(); });
}

} // namespace tavlen
