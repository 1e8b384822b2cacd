// The frame reader over a socket: it reads exactly the frames a plain reading of the framing finds (4-byte length,
// then the body), refuses a zero or oversized length before reading its body, and fails only with BridgeFailure.
#include "BridgeFailure.h"
#include "BrowserChannel.h"
#include "FuzzInput.h"
#include "SocketPair.h"

#include <sys/socket.h>

#include <cstring>
#include <thread>
#include <vector>

using namespace tavlen;

namespace {

constexpr std::size_t limit = 4096;

struct Expected
{
    std::vector<std::string> frames;
    bool endsCleanly = false; // the stream ends between frames, not inside one or at a refused length
};

Expected referenceFrames(std::string_view bytes)
{
    Expected expected;
    while (true) {
        if (bytes.empty()) {
            expected.endsCleanly = true;
            return expected;
        }
        if (bytes.size() < 4) {
            return expected;
        }
        std::uint32_t length = 0;
        std::memcpy(&length, bytes.data(), 4);
        if (length == 0 || length > limit || bytes.size() - 4 < length) {
            return expected;
        }
        expected.frames.emplace_back(bytes.substr(4, length));
        bytes.remove_prefix(4 + length);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input = fuzz::textOf(data, size);
    fuzz::SocketPair sockets;
    std::thread peer([&] {
        fuzz::writeAll(sockets.far.get(), input);
        ::shutdown(sockets.far.get(), SHUT_WR);
    });

    const auto buffers = BrowserFrameBuffers::make();
    std::vector<std::string> frames;
    bool endedCleanly = false;
    try {
        while (const std::optional<BrowserFrame> frame = readFrame(sockets.near.get(), limit, buffers)) {
            fuzz::require(frame->isPadded(), "a frame read from a socket is padded");
            fuzz::require(frame->data()[frame->size()] == 0, "its padding is zeroed");
            frames.emplace_back(frame->bytes());
        }
        endedCleanly = true;
    } catch (const BridgeFailure&) {
    }
    // A reader that stopped early leaves the rest unread: closing its end lets the peer's write end.
    ::shutdown(sockets.near.get(), SHUT_RDWR);
    peer.join();

    const Expected expected = referenceFrames(input);
    fuzz::require(frames == expected.frames, "the frames of the reference, in order");
    fuzz::require(endedCleanly == expected.endsCleanly, "a clean end exactly between frames");
    return 0;
}
