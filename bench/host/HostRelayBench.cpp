// Relaying one 16 MiB snapshot frame from Chrome to Tavlen through the real host process (validated, then
// forwarded unchanged), beside `cat` moving the same bytes through two pipes.

#include "Base64.h"
#include "BrowserChannel.h"
#include "BrowserConfiguration.h"
#include "BrowserConnectionDirectory.h"
#include "BrowserListener.h"
#include "BrowserMessage.h"
#include "BrowserWireValidator.h"
#include "JsonWriter.h"
#include "MainBundle.h"
#include "Png.h"
#include "Uuid.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace tavlen {
namespace {

namespace fs = std::filesystem;

constexpr const char* connectionID = "9F2C4E1A-7B3D-4C5E-8A6F-0D1E2F3A4B5C";

// A captured page whose PNG (random pixels, so it does not compress) makes a frame of about 16 MiB.
std::string snapshotFrameBody()
{
    RgbaImage image;
    image.width = 2048;
    image.height = 1536;
    image.pixels.resize(std::size_t{image.width} * image.height * 4);
    std::mt19937 random(7);
    for (auto& byte : image.pixels) {
        byte = static_cast<std::uint8_t>(random());
    }
    BrowserPageTree tree;
    tree.snapshotId = "snapshot-1";
    tree.startedAt = "2026-03-01T10:00:00.000Z";
    tree.finishedAt = "2026-03-01T10:00:00.250Z";
    tree.status = "unavailable";
    tree.reasons = {"page tree not collected"};

    BrowserSnapshot snapshot;
    snapshot.url = "https://example.com/prices";
    snapshot.geometry = {1024, 768, 0, 0, 0, 0, 2, 1};
    snapshot.contentRect = {0, 0, 1024, 768};
    snapshot.imageWidth = image.width;
    snapshot.imageHeight = image.height;
    snapshot.imageBase64 = base64Encode(encodePng(image));
    snapshot.snapshotID = "snapshot-1";
    snapshot.capturedAt = "2026-03-01T10:00:00.300Z";
    snapshot.pageTree = tree;
    const BrowserMessage message{BrowserMessage::Response{
        connectionID,
        "6E1B0D2C-3A4F-4B5E-9C7D-8E9F0A1B2C3D",
        BrowserResponse{"0B7E5A3C-1D2F-4E6A-8B9C-7D6E5F4A3B2C",
                        BrowserStatus{"active", "session-1", true, 19, std::nullopt, std::nullopt},
                        true,
                        snapshot,
                        std::nullopt}}};
    return writeJson(message.encode(BrowserConfiguration::load().protocolVersion));
}

const std::string& frameBytes()
{
    static const std::string frame = [] {
        overrideMainBundleDirectory(fs::path(TAVLEN_BUNDLE_DIR));
        const std::string body = snapshotFrameBody();
        BrowserWireValidator::load().decode(body); // the host must accept it
        const auto length = static_cast<std::uint32_t>(body.size());
        std::string bytes(4, '\0');
        std::memcpy(bytes.data(), &length, 4);
        return bytes + body;
    }();
    return frame;
}

void writeAll(int fd, const std::string& bytes)
{
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            throw std::runtime_error("write failed");
        }
        done += static_cast<std::size_t>(n);
    }
}

void readExactly(int fd, std::string& buffer)
{
    for (std::size_t done = 0; done < buffer.size();) {
        const ssize_t n = ::read(fd, buffer.data() + done, buffer.size() - done);
        if (n <= 0) {
            throw std::runtime_error("read failed");
        }
        done += static_cast<std::size_t>(n);
    }
}

// A child with piped standard input and output.
struct Child
{
    Child(const std::vector<std::string>& argv)
    {
        int input[2];
        int output[2];
        ::pipe2(input, O_CLOEXEC);
        ::pipe2(output, O_CLOEXEC);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
        std::vector<std::string> arguments = argv;
        std::vector<char*> pointers;
        for (auto& argument : arguments) {
            pointers.push_back(argument.data());
        }
        pointers.push_back(nullptr);
        if (::posix_spawnp(&pid, pointers[0], &actions, nullptr, pointers.data(), environ) != 0) {
            throw std::runtime_error("spawn failed");
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(input[0]);
        ::close(output[1]);
        toChild = input[1];
        fromChild = output[0];
    }

    ~Child()
    {
        ::close(toChild);
        ::close(fromChild);
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
    }

    pid_t pid = -1;
    int toChild = -1;
    int fromChild = -1;
};

// Writes the frame on one thread and reads what comes out on another, per iteration.
template <class Read> void relayLoop(benchmark::State& state, int writeFD, Read read)
{
    const std::string& frame = frameBytes();
    for (auto _ : state) {
        std::thread writer([&] { writeAll(writeFD, frame); });
        read();
        writer.join();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * frame.size()));
}

void BM_RelaySnapshotThroughHost(benchmark::State& state)
{
    const std::string& frame = frameBytes();
    // A bundle of its own, so the bench never meets a running Tavlen's socket.
    char pattern[] = "/tmp/tavlen-bench-XXXXXX";
    const fs::path temporary = ::mkdtemp(pattern);
    const fs::path bundle = temporary / "Tavlen";
    const std::string identifier = "org.tavlen.bench." + Uuid::random().lowercaseString();
    fs::create_directories(bundle / "Helpers");
    fs::copy(fs::path(TAVLEN_BUNDLE_DIR) / "Resources", bundle / "Resources", fs::copy_options::recursive);
    std::ofstream(bundle / "Info.json") << R"({"CFBundleIdentifier":")" << identifier << "\"}";
    fs::copy_file(fs::path(TAVLEN_BUNDLE_DIR) / "Helpers" / "TavlenBrowserHost",
                  bundle / "Helpers" / "TavlenBrowserHost");
    fs::permissions(bundle / "Helpers" / "TavlenBrowserHost", fs::perms::owner_all);

    std::mutex mutex;
    std::condition_variable accepted;
    int socket = -1;
    {
        BrowserListener listener(browserConnectionDirectory(identifier));
        listener.start([&](int fd) {
            std::lock_guard guard(mutex);
            socket = fd;
            accepted.notify_all();
        });
        const std::string origin = "chrome-extension://" + BrowserConfiguration::load().allowedExtensionIDs.at(0) + "/";
        Child host({(bundle / "Helpers" / "TavlenBrowserHost").string(), origin});
        {
            std::unique_lock guard(mutex);
            accepted.wait(guard, [&] { return socket >= 0; });
        }
        std::string received(frame.size(), '\0');
        relayLoop(state, host.toChild, [&] {
            readExactly(socket, received);
            benchmark::DoNotOptimize(received.data());
        });
        if (received != frame) {
            state.SkipWithError("the host changed the frame");
        }
        ::close(socket);
    }
    fs::remove_all(browserConnectionDirectory(identifier));
    fs::remove_all(temporary);
}

void BM_RelaySameBytesThroughCat(benchmark::State& state)
{
    const std::string& frame = frameBytes();
    Child cat({"cat"});
    std::string received(frame.size(), '\0');
    relayLoop(state, cat.toChild, [&] {
        readExactly(cat.fromChild, received);
        benchmark::DoNotOptimize(received.data());
    });
}

BENCHMARK(BM_RelaySnapshotThroughHost)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BM_RelaySameBytesThroughCat)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

} // namespace
} // namespace tavlen
