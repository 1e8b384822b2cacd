#include "BrowserChannel.h"

#include "BridgeFailure.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tavlen {
namespace {

using namespace std::chrono_literals;
constexpr auto generousTimeout = 20s;

std::string lengthBytes(std::uint32_t length)
{
    std::string bytes(4, '\0');
    std::memcpy(bytes.data(), &length, 4);
    return bytes;
}

std::string frameBytes(const std::string& body)
{
    return lengthBytes(static_cast<std::uint32_t>(body.size())) + body;
}

std::string body(std::size_t size, char fill = 'x')
{
    return std::string(size, fill);
}

// A flag one thread raises and another waits for, with a timeout.
class Latch
{
public:
    void open()
    {
        std::lock_guard guard(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }

    bool wait()
    {
        std::unique_lock guard(m_mutex);
        return m_changed.wait_for(guard, generousTimeout, [this] { return m_open; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
};

// What a started channel reports to its owner.
struct Recorder
{
    std::mutex mutex;
    std::vector<std::string> frames;
    int closeCount = 0;
    Latch closed;

    std::vector<std::string> framesSoFar()
    {
        std::lock_guard guard(mutex);
        return frames;
    }

    int closes()
    {
        std::lock_guard guard(mutex);
        return closeCount;
    }
};

void writeAllTo(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        ASSERT_GT(n, 0) << std::strerror(errno);
        done += static_cast<std::size_t>(n);
    }
}

class SocketPair
{
public:
    SocketPair()
    {
        int fds[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) {
            throw std::runtime_error("socketpair");
        }
        channelEnd = fds[0];
        peer = fds[1];
        timeval timeout{20, 0};
        ::setsockopt(peer, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    }

    ~SocketPair() { ::close(peer); }

    int channelEnd = -1; // owned by the channel
    int peer = -1;
};

struct ChannelCase
{
    const char* name = "";
    std::size_t readLimit = 64;
    std::size_t writeLimit = 64;
    std::size_t queueLimit = 1024;
    std::string peerBytes{};              // written by the peer after the sends
    bool peerCloses = true;               // the peer shuts down its writing side after peerBytes
    std::vector<std::size_t> sends{};     // body sizes sent while the writer is held up
    bool closeInsideOnMessage = false;    // the handler closes the channel on the first frame
    std::vector<std::size_t> delivered{}; // body sizes handed to onMessage
    std::vector<bool> admitted{};         // send results
    std::vector<std::size_t> peerGets{};  // body sizes the peer reads before the end of the stream
    bool ownerCloses = false;             // nothing in the row ends the channel; the owner closes it
};

const std::vector<ChannelCase>& channelCases()
{
    // What a queued frame costs besides its body: its length and its bookkeeping.
    constexpr std::size_t frameCost = 4 + BrowserChannel::queuedFrameOverhead;
    static const std::vector<ChannelCase> cases = {
        {.name = "peer closes before sending anything: clean end"},
        {.name = "peer closes after two length bytes", .peerBytes = lengthBytes(10).substr(0, 2)},
        {.name = "peer closes in the middle of a body", .peerBytes = lengthBytes(10) + "abcde"},
        {.name = "frames up to readLimit are delivered in order",
         .peerBytes = frameBytes(body(1)) + frameBytes(body(64, 'y')),
         .delivered = {1, 64}},
        {.name = "readLimit + 1 ends the channel before the body",
         .peerBytes = frameBytes(body(65)) + frameBytes(body(3)),
         .peerCloses = false},
        {.name = "zero length ends the channel",
         .peerBytes = lengthBytes(0) + frameBytes(body(3)),
         .peerCloses = false},
        {.name = "frame after an invalid one is never delivered",
         .peerBytes = frameBytes(body(2)) + lengthBytes(0) + frameBytes(body(3)),
         .peerCloses = false,
         .delivered = {2}},
        {.name = "close inside onMessage: later frames are not delivered",
         .peerBytes = frameBytes(body(5)) + frameBytes(body(6)),
         .peerCloses = false,
         .closeInsideOnMessage = true,
         .delivered = {5}},
        {.name = "send of writeLimit is written",
         .peerCloses = false,
         .sends = {64},
         .admitted = {true},
         .peerGets = {64},
         .ownerCloses = true},
        {.name = "send of an empty body is refused and closes", .peerCloses = false, .sends = {0}, .admitted = {false}},
        {.name = "send of writeLimit + 1 is refused and closes",
         .peerCloses = false,
         .sends = {65, 1},
         .admitted = {false, false}},
        {.name = "queue limit of one 100-byte frame: one fits, a second is refused and the first is dropped",
         .writeLimit = 200,
         .queueLimit = 100 + frameCost,
         .peerCloses = false,
         .sends = {100, 100},
         .admitted = {true, false}},
        {.name = "queue limit of two 100-byte frames: both fit",
         .writeLimit = 200,
         .queueLimit = 2 * (100 + frameCost),
         .peerCloses = false,
         .sends = {100, 100},
         .admitted = {true, true},
         .peerGets = {100, 100},
         .ownerCloses = true},
        {.name = "tiny frames count their overhead: room for ten 1-byte frames holds ten, not a thousand",
         .queueLimit = 10 * (1 + frameCost),
         .peerCloses = false,
         .sends = std::vector<std::size_t>(11, 1),
         .admitted = {true, true, true, true, true, true, true, true, true, true, false}},
    };
    return cases;
}

TEST(BrowserChannelTest, edgeCasesOfReadingSendingAndClosing)
{
    for (const auto& row : channelCases()) {
        SCOPED_TRACE(row.name);
        SocketPair sockets;
        auto channel = BrowserChannel::make(
            sockets.channelEnd, sockets.channelEnd, true, row.readLimit, row.writeLimit, row.queueLimit);
        auto recorder = std::make_shared<Recorder>();
        std::weak_ptr<BrowserChannel> weak = channel;
        channel->start(
            [recorder, weak, closeInside = row.closeInsideOnMessage](BrowserFrame frame) {
                {
                    std::lock_guard guard(recorder->mutex);
                    recorder->frames.emplace_back(frame.bytes());
                }
                if (closeInside) {
                    if (auto strong = weak.lock()) {
                        strong->close();
                        strong->close();
                    }
                }
            },
            [recorder] {
                {
                    std::lock_guard guard(recorder->mutex);
                    ++recorder->closeCount;
                }
                recorder->closed.open();
            });

        // Hold the writer so every send below is admitted before any of them is written.
        Latch writerHeld;
        channel->runOnWriter([&writerHeld] { writerHeld.wait(); });
        std::vector<bool> admitted{};
        for (std::size_t size : row.sends) {
            admitted.push_back(channel->send(body(size, 's')));
        }
        writerHeld.open();
        EXPECT_EQ(admitted, row.admitted);

        writeAllTo(sockets.peer, row.peerBytes);
        if (row.peerCloses) {
            ::shutdown(sockets.peer, SHUT_WR);
        }
        std::vector<std::size_t> peerGot;
        for (std::size_t i = 0; i < row.peerGets.size(); ++i) {
            auto frame = readFrame(sockets.peer, 1024);
            ASSERT_TRUE(frame.has_value());
            EXPECT_EQ(*frame, body(frame->size(), 's'));
            peerGot.push_back(frame->size());
        }
        EXPECT_EQ(peerGot, row.peerGets);

        if (row.ownerCloses) {
            channel->close();
        }
        ASSERT_TRUE(recorder->closed.wait());
        channel->close(); // a second close changes nothing
        EXPECT_TRUE(channel->isClosed());
        EXPECT_FALSE(channel->send(body(1)));

        // The peer sees the end of the stream (a reset when its own bytes were left unread) and nothing more.
        char extra = 0;
        const ssize_t n = ::read(sockets.peer, &extra, 1);
        EXPECT_TRUE(n == 0 || (n < 0 && errno == ECONNRESET)) << n << " " << std::strerror(errno);
        std::vector<std::size_t> delivered{};
        channel.reset();
        // Every job has finished once the last reference is gone.
        for (auto start = std::chrono::steady_clock::now(); !weak.expired();) {
            ASSERT_LT(std::chrono::steady_clock::now() - start, generousTimeout);
            std::this_thread::yield();
        }
        for (const auto& frame : recorder->framesSoFar()) {
            delivered.push_back(frame.size());
        }
        EXPECT_EQ(delivered, row.delivered);
        EXPECT_EQ(recorder->closes(), 1);
    }
}

struct ReadFailureCase
{
    const char* name;
    std::string bytes;
    std::string_view message;
};

TEST(BrowserChannelTest, readFrameNamesWhatWentWrong)
{
    const std::vector<ReadFailureCase> cases = {
        {"stream ends inside the length", lengthBytes(7).substr(0, 3), bridge_text::chromeDisconnected},
        {"stream ends inside the body", lengthBytes(7) + "abc", bridge_text::chromeDisconnected},
        {"zero length", lengthBytes(0) + "abc", bridge_text::invalidMessage},
        {"length above the limit", lengthBytes(17) + body(17), bridge_text::invalidMessage},
        {"length above 2^31", lengthBytes(0x80000001u), bridge_text::invalidMessage},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        SocketPair sockets;
        writeAllTo(sockets.peer, row.bytes);
        ::shutdown(sockets.peer, SHUT_WR);
        try {
            readFrame(sockets.channelEnd, 16);
            ADD_FAILURE() << "no failure";
        } catch (const BridgeFailure& failure) {
            EXPECT_EQ(failure.message(), row.message);
            EXPECT_EQ(failure.code(), std::nullopt);
        }
        ::close(sockets.channelEnd);
    }
}

TEST(BrowserChannelTest, framesCarryAHostOrderLengthAndTheBytesUnchanged)
{
    SocketPair sockets;
    const std::string payload = std::string("{\"a\":\"\xc3\xa9\\u0000\"}") + std::string(1, '\0') + "\xff";
    writeFrame(sockets.peer, payload);
    std::string raw(4 + payload.size(), '\0');
    ASSERT_EQ(::read(sockets.channelEnd, raw.data(), raw.size()), static_cast<ssize_t>(raw.size()));
    EXPECT_EQ(raw, frameBytes(payload));
    EXPECT_EQ(static_cast<unsigned char>(raw[0]), payload.size()); // little-endian on this machine

    writeFrame(sockets.peer, payload);
    ::shutdown(sockets.peer, SHUT_WR);
    EXPECT_EQ(readFrame(sockets.channelEnd, payload.size()), payload);
    EXPECT_EQ(readFrame(sockets.channelEnd, payload.size()), std::nullopt);
    ::close(sockets.channelEnd);
}

// Frames are read into one buffer, padded for the parser, grown and reused; a frame the handler keeps (or sends on)
// takes the buffer along and brings it back when it is destroyed, and the next read meanwhile gets another.
TEST(BrowserChannelTest, framesAreReadIntoOneReusedPaddedBuffer)
{
    SocketPair sockets;
    auto channel = BrowserChannel::make(sockets.channelEnd, sockets.channelEnd, true, 1 << 20, 1 << 20, 1 << 22);

    struct Seen
    {
        std::mutex mutex;
        std::vector<const char*> buffers;
        std::vector<bool> padded;
        std::optional<BrowserFrame> kept;
    };

    auto seen = std::make_shared<Seen>();
    Latch fourRead;
    Latch closed;
    channel->start(
        [seen, &fourRead](BrowserFrame frame) {
            std::lock_guard guard(seen->mutex);
            seen->buffers.push_back(frame.data());
            seen->padded.push_back(frame.isPadded() && std::all_of(frame.data() + frame.size(),
                                                                   frame.data() + frame.size() + BrowserFrame::padding,
                                                                   [](char c) { return c == '\0'; }));
            if (seen->buffers.size() == 2) {
                seen->kept = std::move(frame); // held past the next read
            } else if (seen->buffers.size() == 3) {
                seen->kept.reset(); // comes back to the channel
            }
            if (seen->buffers.size() == 4) {
                fourRead.open();
            }
        },
        [&closed] { closed.open(); });
    // Largest first, so the buffer need not grow; then one frame read while the second is kept, then one after.
    for (const std::size_t size : {4096u, 100u, 200u, 300u}) {
        writeAllTo(sockets.peer, frameBytes(body(size)));
    }
    ASSERT_TRUE(fourRead.wait());
    channel->close();
    ASSERT_TRUE(closed.wait());
    std::lock_guard guard(seen->mutex);
    EXPECT_EQ(seen->padded, std::vector<bool>(4, true));
    EXPECT_EQ(seen->buffers[1], seen->buffers[0]) << "the buffer of a dropped frame is read into again";
    EXPECT_NE(seen->buffers[2], seen->buffers[1]) << "a kept frame keeps its buffer";
    EXPECT_TRUE(seen->buffers[3] == seen->buffers[1] || seen->buffers[3] == seen->buffers[2])
        << "a buffer that comes back is reused";
}

TEST(BrowserChannelTest, manyFramesFromSeveralThreadsArriveWholeAndInEachSendersOrder)
{
    SocketPair sockets;
    auto channel = BrowserChannel::make(sockets.channelEnd, sockets.channelEnd, true, 1 << 20, 1 << 20, 64 << 20);
    Latch closed;
    channel->start([](BrowserFrame) {}, [&closed] { closed.open(); });
    constexpr int senders = 4;
    constexpr int perSender = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < senders; ++t) {
        threads.emplace_back([&channel, t] {
            for (int i = 0; i < perSender; ++i) {
                EXPECT_TRUE(channel->send(std::to_string(t) + ":" + std::to_string(i) + ":" + body(997 * (i % 7))));
            }
        });
    }
    std::vector<int> next(senders, 0);
    for (int received = 0; received < senders * perSender; ++received) {
        auto frame = readFrame(sockets.peer, 1 << 20);
        ASSERT_TRUE(frame.has_value());
        const std::string text(frame->bytes());
        const int t = std::stoi(text.substr(0, text.find(':')));
        const auto rest = text.substr(text.find(':') + 1);
        const int i = std::stoi(rest.substr(0, rest.find(':')));
        ASSERT_EQ(i, next[t]);
        EXPECT_EQ(rest.substr(rest.find(':') + 1), body(997 * (i % 7)));
        ++next[t];
    }
    for (auto& thread : threads) {
        thread.join();
    }
    channel->close();
    EXPECT_TRUE(closed.wait());
}

TEST(BrowserChannelTest, channelOverPipesLeavesThemOpenAndSocketChannelClosesItsSocketOnce)
{
    int input[2];
    int output[2];
    ASSERT_EQ(::pipe2(input, O_CLOEXEC), 0);
    ASSERT_EQ(::pipe2(output, O_CLOEXEC), 0);
    {
        auto channel = BrowserChannel::make(input[0], output[1], false, 64, 64, 1024);
        std::weak_ptr<BrowserChannel> weak = channel;
        Latch closed;
        channel->start([](BrowserFrame) {}, [&closed] { closed.open(); });
        EXPECT_TRUE(channel->send(std::string("hello")));
        EXPECT_EQ(readFrame(output[0], 64), "hello");
        ::close(input[1]); // end of standard input
        ASSERT_TRUE(closed.wait());
        channel.reset();
        for (auto start = std::chrono::steady_clock::now(); !weak.expired();) {
            ASSERT_LT(std::chrono::steady_clock::now() - start, generousTimeout);
            std::this_thread::yield();
        }
    }
    EXPECT_EQ(::fcntl(input[0], F_GETFD), FD_CLOEXEC);
    EXPECT_EQ(::fcntl(output[1], F_GETFD), FD_CLOEXEC);
    ::close(input[0]);
    ::close(output[0]);
    ::close(output[1]);

    SocketPair sockets;

    struct stat socketBefore
    {};

    ASSERT_EQ(::fstat(sockets.channelEnd, &socketBefore), 0);
    auto channel = BrowserChannel::make(sockets.channelEnd, sockets.channelEnd, true, 64, 64, 1024);
    std::weak_ptr<BrowserChannel> weak = channel;
    channel->start([](BrowserFrame) {}, [] {});
    channel->close();
    channel.reset();
    for (auto start = std::chrono::steady_clock::now(); !weak.expired();) {
        ASSERT_LT(std::chrono::steady_clock::now() - start, generousTimeout);
        std::this_thread::yield();
    }

    // Other threads of the process (a thread being named opens a file) may reuse the number at once, so what must
    // be gone is the socket, not the number.
    struct stat socketAfter
    {};

    const bool stillOpen = ::fstat(sockets.channelEnd, &socketAfter) == 0 &&
                           socketAfter.st_ino == socketBefore.st_ino && socketAfter.st_dev == socketBefore.st_dev;
    EXPECT_FALSE(stillOpen);
}

} // namespace
} // namespace tavlen
