#include "BrowserChannel.h"

#include "BridgeFailure.h"
#include "SerialQueue.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>

namespace tavlen {

namespace {

constexpr std::size_t lengthBytes = 4;

// What a frame waiting in the write queue costs besides its body.
constexpr std::size_t queuedFrameCost = lengthBytes + BrowserChannel::queuedFrameOverhead;

// Reads exactly size bytes unless the stream ends first; gives how many arrived. Throws on a read error.
std::size_t readUpTo(int fd, char* buffer, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, buffer + done, size - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            throw BridgeFailure(bridge_text::chromeDisconnected);
        }
    }
    return done;
}

// Writes every byte. Sockets are written with MSG_NOSIGNAL; pipes and terminals (ENOTSOCK) with write(), the
// process ignoring SIGPIPE.
void writeAll(int fd, const char* data, std::size_t size)
{
    bool isSocket = true;
    while (size > 0) {
        ssize_t n = isSocket ? ::send(fd, data, size, MSG_NOSIGNAL) : ::write(fd, data, size);
        if (n < 0 && isSocket && errno == ENOTSOCK) {
            isSocket = false;
            continue;
        }
        if (n > 0) {
            data += n;
            size -= static_cast<std::size_t>(n);
        } else if (n == 0 || errno != EINTR) {
            throw BridgeFailure(bridge_text::chromeDisconnected);
        }
    }
}

// Joins the queues that channels drop on their own threads. Never destroyed: a channel thread still ending while
// the process exits may hand it a queue after static destructors have run, and joining at exit could wait on such a
// thread. The process's end takes the thread with it.
SerialQueue& queueJoiner()
{
    static SerialQueue* const joiner = new SerialQueue("org.tavlen.Tavlen.bridge.channel.joiner");
    return *joiner;
}

// Drops a queue. A queue cannot join its own thread, so when the last reference to a channel goes away inside
// one of its own jobs, that queue is handed to the joiner, which joins it once the job has returned. Nothing is
// detached: every thread a channel starts is joined, so leak checkers see no thread state left behind.
void releaseQueue(std::unique_ptr<SerialQueue> queue)
{
    if (queue && queue->isCurrent()) {
        queueJoiner().post([q = std::shared_ptr<SerialQueue>(std::move(queue))]() mutable { q.reset(); });
    }
}

} // namespace

std::optional<BrowserFrame> readFrame(int fd, std::size_t limit, const std::shared_ptr<BrowserFrameBuffers>& buffers)
{
    char header[lengthBytes];
    const std::size_t got = readUpTo(fd, header, lengthBytes);
    if (got == 0) {
        return std::nullopt;
    }
    if (got < lengthBytes) {
        throw BridgeFailure(bridge_text::chromeDisconnected);
    }
    std::uint32_t length = 0;
    std::memcpy(&length, header, lengthBytes);
    if (length == 0 || length > limit) {
        throw BridgeFailure::invalidMessage();
    }
    BrowserFrame body = BrowserFrame::withCapacity(length, buffers);
    if (readUpTo(fd, body.writableData(), length) < length) {
        throw BridgeFailure(bridge_text::chromeDisconnected);
    }
    return body;
}

void writeFrame(int fd, std::string_view data)
{
    if (data.size() > std::numeric_limits<std::uint32_t>::max()) {
        throw BridgeFailure(bridge_text::chromeDisconnected);
    }
    const auto length = static_cast<std::uint32_t>(data.size());
    char header[lengthBytes];
    std::memcpy(header, &length, lengthBytes);
    writeAll(fd, header, lengthBytes);
    writeAll(fd, data.data(), data.size());
}

std::shared_ptr<BrowserChannel> BrowserChannel::make(int readFD,
                                                     int writeFD,
                                                     bool ownsDescriptors,
                                                     std::size_t readLimit,
                                                     std::size_t writeLimit,
                                                     std::size_t queueLimit)
{
    return std::shared_ptr<BrowserChannel>(
        new BrowserChannel(readFD, writeFD, ownsDescriptors, Limits{readLimit, writeLimit, queueLimit}));
}

BrowserChannel::BrowserChannel(int readFD, int writeFD, bool ownsDescriptors, Limits limits)
    : m_readFD(readFD)
    , m_writeFD(writeFD)
    , m_ownsDescriptors(ownsDescriptors)
    , m_limits(limits)
    , m_reader(std::make_unique<SerialQueue>("org.tavlen.Tavlen.bridge.channel.reader"))
    , m_writer(std::make_unique<SerialQueue>("org.tavlen.Tavlen.bridge.channel.writer"))
{}

BrowserChannel::~BrowserChannel()
{
    // A channel that closed has already closed its descriptors through its queues; one never closed still owns them.
    if (m_ownsDescriptors && !m_closed) {
        ::close(m_readFD);
        if (m_writeFD != m_readFD) {
            ::close(m_writeFD);
        }
    }
    releaseQueue(std::move(m_reader));
    releaseQueue(std::move(m_writer));
}

bool BrowserChannel::isClosed() const
{
    std::lock_guard guard(m_lock);
    return m_closed;
}

void BrowserChannel::start(MessageHandler onMessage, CloseHandler onClose)
{
    {
        std::lock_guard guard(m_lock);
        m_onClose = std::move(onClose);
    }
    m_reader->post([self = shared_from_this(), onMessage = std::move(onMessage)] { self->readLoop(onMessage); });
}

void BrowserChannel::readLoop(const MessageHandler& onMessage)
{
    while (!isClosed()) {
        std::optional<BrowserFrame> frame;
        try {
            frame = readFrame(m_readFD, m_limits.read, m_buffers);
        } catch (const BridgeFailure&) {
            break;
        }
        // A frame that arrives after the channel has closed is discarded.
        if (!frame || isClosed()) {
            break;
        }
        onMessage(std::move(*frame));
    }
    close();
}

bool BrowserChannel::send(BrowserFrame data)
{
    const std::size_t cost = data.size() + queuedFrameCost;
    bool admitted = false;
    {
        std::lock_guard guard(m_lock);
        admitted = !m_closed && !data.empty() && data.size() <= m_limits.write && m_queued <= m_limits.queue &&
                   cost <= m_limits.queue - m_queued;
        if (admitted) {
            m_queued += cost;
        }
    }
    if (!admitted) {
        close();
        return false;
    }
    // Queued jobs must be copyable; the frame, and the read buffer it may hold, is shared with the job and freed (or
    // returned to the channel that read it) once the job has written it.
    m_writer->post([self = shared_from_this(), frame = std::make_shared<BrowserFrame>(std::move(data))] {
        self->writeJob(*frame);
    });
    return true;
}

void BrowserChannel::writeJob(const BrowserFrame& data)
{
    if (!isClosed()) {
        try {
            writeFrame(m_writeFD, data.bytes());
        } catch (const BridgeFailure&) {
            close();
        }
    }
    std::lock_guard guard(m_lock);
    m_queued -= data.size() + queuedFrameCost;
}

void BrowserChannel::close()
{
    CloseHandler onClose;
    {
        std::lock_guard guard(m_lock);
        if (m_closed) {
            return;
        }
        m_closed = true;
        onClose = std::move(m_onClose);
        m_onClose = nullptr;
    }
    // Wakes a read blocked on a socket and fails pending writes; on pipes this does nothing.
    ::shutdown(m_readFD, SHUT_RDWR);
    if (m_writeFD != m_readFD) {
        ::shutdown(m_writeFD, SHUT_RDWR);
    }
    if (onClose) {
        onClose();
    }
    if (m_ownsDescriptors) {
        // Both queues are serial: the descriptors close after the read loop has returned and after every write
        // admitted before the close, so their numbers are never reused under a running read() or write().
        m_reader->post([self = shared_from_this()] {
            self->m_writer->post([self] {
                ::close(self->m_readFD);
                if (self->m_writeFD != self->m_readFD) {
                    ::close(self->m_writeFD);
                }
            });
        });
    }
}

void BrowserChannel::runOnWriter(std::function<void()> job)
{
    m_writer->post([self = shared_from_this(), job = std::move(job)] { job(); });
}

} // namespace tavlen
