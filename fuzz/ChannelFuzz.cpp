// The framed channel over a socket: what a peer writes is read frame by frame and echoed back through the write
// queue. The echoes are the reference's frames, in order, up to where the channel closed; the channel closes
// once, its jobs let go of it once they are done, and it goes away with every thread it started once its owner
// lets go.
#include "BrowserChannel.h"
#include "FuzzInput.h"
#include "SocketPair.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

using namespace tavlen;

namespace {

constexpr std::size_t limit = 4096;

std::vector<std::string> referenceFrames(std::string_view bytes)
{
    std::vector<std::string> frames;
    while (bytes.size() >= 4) {
        std::uint32_t length = 0;
        std::memcpy(&length, bytes.data(), 4);
        if (length == 0 || length > limit || bytes.size() - 4 < length) {
            break;
        }
        frames.emplace_back(bytes.substr(4, length));
        bytes.remove_prefix(4 + length);
    }
    return frames;
}

// Reads frames from fd until the stream ends; a broken frame ends it too.
std::vector<std::string> readEchoes(int fd)
{
    std::vector<std::string> frames;
    std::string pending;
    char buffer[8192];
    while (true) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        pending.append(buffer, static_cast<std::size_t>(n));
    }
    std::string_view rest = pending;
    while (rest.size() >= 4) {
        std::uint32_t length = 0;
        std::memcpy(&length, rest.data(), 4);
        if (rest.size() - 4 < length) {
            break;
        }
        frames.emplace_back(rest.substr(4, length));
        rest.remove_prefix(4 + length);
    }
    return frames;
}

struct Closing
{
    std::mutex lock;
    std::condition_variable changed;
    int count = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input = fuzz::textOf(data, size);
    fuzz::SocketPair sockets;
    const int peerFD = sockets.far.get();
    const int channelFD = sockets.near.release();
    auto channel = BrowserChannel::make(channelFD, channelFD, true, limit, limit, 8 * limit);
    std::weak_ptr<BrowserChannel> weak = channel;
    auto closing = std::make_shared<Closing>();
    channel->start(
        [weak](BrowserFrame frame) {
            if (auto strong = weak.lock()) {
                strong->send(std::move(frame));
            }
        },
        [closing] {
            std::lock_guard guard(closing->lock);
            ++closing->count;
            closing->changed.notify_all();
        });

    std::thread peer([&] {
        fuzz::writeAll(peerFD, input);
        ::shutdown(peerFD, SHUT_WR);
    });
    const std::vector<std::string> echoes = readEchoes(peerFD);
    peer.join();
    {
        std::unique_lock guard(closing->lock);
        const bool closed =
            closing->changed.wait_for(guard, std::chrono::seconds(5), [&] { return closing->count > 0; });
        fuzz::require(closed, "the channel closes when the stream ends");
    }
    channel->close();
    // Once its jobs are done, only this reference holds the channel. Dropping it here joins the channel's threads
    // before the input ends; dropped on one of them, a queue would go to the joiner and still be in flight when the
    // leak check runs.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (channel.use_count() > 1) {
        fuzz::require(std::chrono::steady_clock::now() < deadline,
                      "the channel's jobs let go of it once they are done");
        std::this_thread::yield();
    }
    channel.reset();
    fuzz::require(weak.expired(), "the channel goes away with its last reference");
    fuzz::require(closing->count == 1, "the channel closes once");

    const std::vector<std::string> expected = referenceFrames(input);
    fuzz::require(echoes.size() <= expected.size() && std::equal(echoes.begin(), echoes.end(), expected.begin()),
                  "the echoes are the reference's frames, in order");
    return 0;
}
