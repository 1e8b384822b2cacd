#pragma once

#include "BrowserFrame.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace tavlen {

class SerialQueue;

// Reads one frame (4-byte host-order length, then that many body bytes) from fd into a padded buffer taken from
// buffers (a fresh one when null). Gives nullopt when the stream ends cleanly before the first byte of a frame.
// Throws BridgeFailure "Invalid or incompatible browser message." for a length of 0 or above limit (before any
// body byte is read), and "Chrome disconnected. Start a new session after reconnecting." when the stream ends
// inside a frame or read() fails. EINTR is retried.
std::optional<BrowserFrame>
readFrame(int fd, std::size_t limit, const std::shared_ptr<BrowserFrameBuffers>& buffers = nullptr);

// Writes data as one frame on fd. Throws BridgeFailure "Chrome disconnected. Start a new session after
// reconnecting." when a write fails or writes nothing, or when data is too long for a 32-bit length.
void writeFrame(int fd, std::string_view data);

// A full-duplex framed channel over one descriptor (a socket) or two (standard input and output). Frames are read
// on the channel's own reader thread, into one reused padded buffer, and handed, one at a time and in order, to the
// message handler; sends are written in admission order on its writer thread under byte limits. Any failure closes the
// channel, once, and the owner learns of it only through the close handler. The channel never looks inside frames.
//
// Shared by its owner and the jobs it queues; create it with make(). A started channel stays alive until it has
// closed and its jobs have finished, so the owner must close() it when it no longer wants it.
class BrowserChannel : public std::enable_shared_from_this<BrowserChannel>
{
public:
    // A frame the handler keeps (or sends on) keeps the read buffer; the channel reads the next frame into another
    // and gets the first back when the frame is destroyed.
    using MessageHandler = std::function<void(BrowserFrame frame)>;
    using CloseHandler = std::function<void()>;

    // Memory a queued frame takes besides its body and length: the queue's entry, the job and its captures, the
    // shared frame, their allocations' headers. Counted in the queue limit, so a flood of tiny frames cannot
    // hold several times the limit.
    static constexpr std::size_t queuedFrameOverhead = 256;

    // readLimit bounds received bodies, writeLimit sent bodies, queueLimit the bytes admitted but not yet
    // written (bodies plus 4 + queuedFrameOverhead per frame). With ownsDescriptors the channel closes them once it has
    // stopped reading and writing.
    static std::shared_ptr<BrowserChannel> make(int readFD,
                                                int writeFD,
                                                bool ownsDescriptors,
                                                std::size_t readLimit,
                                                std::size_t writeLimit,
                                                std::size_t queueLimit);
    ~BrowserChannel();
    BrowserChannel(const BrowserChannel&) = delete;
    BrowserChannel& operator=(const BrowserChannel&) = delete;

    bool isClosed() const;

    // Starts the read loop; call once. onMessage runs on the reader thread and the next frame is read only after
    // it returns. onClose runs once, on whichever thread closes the channel.
    void start(MessageHandler onMessage, CloseHandler onClose);

    // Admits data for writing. False when it was not admitted (channel closed, empty data, above writeLimit, or
    // the queue would exceed queueLimit); a refused frame always closes the channel.
    bool send(BrowserFrame data);

    // Closes the channel from any thread; idempotent. Wakes a read blocked on a socket.
    void close();

    // Runs job on the writer thread after every frame admitted so far, even when the channel has closed.
    void runOnWriter(std::function<void()> job);

private:
    struct Limits
    {
        std::size_t read = 0;
        std::size_t write = 0;
        std::size_t queue = 0;
    };

    BrowserChannel(int readFD, int writeFD, bool ownsDescriptors, Limits limits);
    void readLoop(const MessageHandler& onMessage);
    void writeJob(const BrowserFrame& data);

    const int m_readFD;
    const int m_writeFD;
    const bool m_ownsDescriptors;
    const Limits m_limits;

    mutable std::mutex m_lock;
    bool m_closed = false;
    std::size_t m_queued = 0;
    CloseHandler m_onClose;

    const std::shared_ptr<BrowserFrameBuffers> m_buffers = BrowserFrameBuffers::make();
    std::unique_ptr<SerialQueue> m_reader;
    std::unique_ptr<SerialQueue> m_writer;
};

} // namespace tavlen
