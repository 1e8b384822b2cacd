// Relaying frames from Chrome to Tavlen through the real host process (checked, then forwarded unchanged), beside
// `cat` moving the same bytes through two pipes in the same run; the host's peak memory after one frame and after
// ten; and what a hostile frame costs the host before it is refused.

#include "BenchFrames.h"
#include "BrowserConfiguration.h"
#include "BrowserConnectionDirectory.h"
#include "BrowserListener.h"
#include "MainBundle.h"
#include "Uuid.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <malloc.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

extern char** environ;

namespace tavlen {
namespace {

namespace fs = std::filesystem;

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
    explicit Child(const std::vector<std::string>& argv)
    {
        int input[2];
        int output[2];
        if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe failed");
        }
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
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
        }
    }

    // The child's peak resident memory so far, in MiB (from /proc, while it runs).
    double peakMiB() const
    {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("VmHWM:", 0) == 0) {
                return std::stod(line.substr(6)) / 1024;
            }
        }
        return 0;
    }

    // Waits for the child to end on its own; what it used (peak resident memory, processor time).
    rusage waitForUsage()
    {
        int status = 0;
        rusage usage{};
        ::wait4(pid, &status, 0, &usage);
        pid = -1;
        return usage;
    }

    pid_t pid = -1;
    int toChild = -1;
    int fromChild = -1;
};

// A bundle of its own with the real host in it, a listener in its rendezvous directory, and the host started as
// Chrome starts it, connected: the bench never meets a running Tavlen's socket.
class HostUnderTest
{
public:
    HostUnderTest()
        : m_identifier("org.tavlen.bench." + Uuid::random().lowercaseString())
    {
        overrideMainBundleDirectory(fs::path(TAVLEN_BUNDLE_DIR));
        char pattern[] = "/tmp/tavlen-bench-XXXXXX";
        m_temporary = ::mkdtemp(pattern);
        const fs::path bundle = m_temporary / "Tavlen";
        fs::create_directories(bundle / "Helpers");
        fs::copy(fs::path(TAVLEN_BUNDLE_DIR) / "Resources", bundle / "Resources", fs::copy_options::recursive);
        std::ofstream(bundle / "Info.json") << R"({"CFBundleIdentifier":")" << m_identifier << "\"}";
        m_executable = bundle / "Helpers" / "TavlenBrowserHost";
        // TAVLEN_BENCH_HOST names another build of the host, to hold a change against the code before it.
        const char* other = std::getenv("TAVLEN_BENCH_HOST");
        fs::copy_file(other ? fs::path(other) : fs::path(TAVLEN_BUNDLE_DIR) / "Helpers" / "TavlenBrowserHost",
                      m_executable);
        fs::permissions(m_executable, fs::perms::owner_all);
        m_listener = std::make_unique<BrowserListener>(browserConnectionDirectory(m_identifier));
        m_listener->start([this](int fd) {
            std::lock_guard guard(m_mutex);
            m_socket = fd;
            m_accepted.notify_all();
        });
    }

    ~HostUnderTest()
    {
        m_host.reset();
        if (m_socket >= 0) {
            ::close(m_socket);
        }
        m_listener.reset();
        fs::remove_all(browserConnectionDirectory(m_identifier));
        fs::remove_all(m_temporary);
    }

    // Starts the host and waits until Tavlen's side (this listener) has its connection.
    Child& start()
    {
        const std::string origin = "chrome-extension://" + BrowserConfiguration::load().allowedExtensionIDs.at(0) + "/";
        m_host.reset();
        {
            std::lock_guard guard(m_mutex);
            if (m_socket >= 0) {
                ::close(m_socket);
                m_socket = -1;
            }
        }
        m_host = std::make_unique<Child>(std::vector<std::string>{m_executable.string(), origin});
        std::unique_lock guard(m_mutex);
        m_accepted.wait(guard, [&] { return m_socket >= 0; });
        return *m_host;
    }

    int socket() const { return m_socket; }

private:
    std::string m_identifier;
    fs::path m_temporary;
    fs::path m_executable;
    std::unique_ptr<BrowserListener> m_listener;
    std::mutex m_mutex;
    std::condition_variable m_accepted;
    int m_socket = -1;
    std::unique_ptr<Child> m_host;
};

// Writes the frame into `into` on one thread while `read` takes what comes out on this one.
template <class Read> void relayOnce(int into, const std::string& frame, Read read)
{
    std::thread writer([&] { writeAll(into, frame); });
    read();
    writer.join();
}

void relayThroughHost(benchmark::State& state, const std::string& body)
{
    const std::string frame = bench::framed(body);
    HostUnderTest setup;
    Child& host = setup.start();
    std::string received(frame.size(), '\0');
    const auto once = [&] { relayOnce(host.toChild, frame, [&] { readExactly(setup.socket(), received); }); };
    once();
    const double afterOne = host.peakMiB();
    for (int i = 1; i < 10; ++i) {
        once();
    }
    const double afterTen = host.peakMiB();
    for (auto _ : state) {
        once();
    }
    if (received != frame) {
        state.SkipWithError("the host changed the frame");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * frame.size()));
    state.counters["frameMiB"] = double(frame.size()) / (1 << 20);
    state.counters["peakMiB1"] = afterOne;
    state.counters["peakMiB10"] = afterTen;
    state.counters["peakMiBEnd"] = host.peakMiB();
    state.counters["peakPerFrame"] = host.peakMiB() / (double(frame.size()) / (1 << 20));
}

void relayThroughCat(benchmark::State& state, const std::string& body)
{
    const std::string frame = bench::framed(body);
    Child cat({"cat"});
    std::string received(frame.size(), '\0');
    for (auto _ : state) {
        relayOnce(cat.toChild, frame, [&] { readExactly(cat.fromChild, received); });
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * frame.size()));
}

// The host and `cat` in turn, frame by frame, on the same bytes: the median of the host's time over cat's, pair by
// pair, holds on a loaded machine where two benchmarks run one after the other drift apart.
void relayHostBesideCat(benchmark::State& state, const std::string& body)
{
    const std::string frame = bench::framed(body);
    HostUnderTest setup;
    Child& host = setup.start();
    Child cat({"cat"});
    std::string received(frame.size(), '\0');
    const auto timed = [&](auto relay) {
        const auto start = std::chrono::steady_clock::now();
        relay();
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    };
    const auto throughHost = [&] { relayOnce(host.toChild, frame, [&] { readExactly(setup.socket(), received); }); };
    const auto throughCat = [&] { relayOnce(cat.toChild, frame, [&] { readExactly(cat.fromChild, received); }); };
    throughHost();
    throughCat();
    std::vector<double> hostMs;
    std::vector<double> catMs;
    std::vector<double> ratios;
    for (auto _ : state) {
        hostMs.push_back(timed(throughHost));
        catMs.push_back(timed(throughCat));
        ratios.push_back(hostMs.back() / catMs.back());
    }
    const auto median = [](std::vector<double> values) {
        std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(values.size() / 2), values.end());
        return values[values.size() / 2];
    };
    state.counters["hostMs"] = median(hostMs);
    state.counters["catMs"] = median(catMs);
    state.counters["hostOverCat"] = median(ratios);
    state.counters["frameMiB"] = double(frame.size()) / (1 << 20);
    state.counters["peakPerFrame"] = host.peakMiB() / (double(frame.size()) / (1 << 20));
}

void BM_RelaySnapshotHostBesideCat(benchmark::State& state)
{
    relayHostBesideCat(state, bench::snapshotFrameBody());
}

void BM_RelayPageTreeHostBesideCat(benchmark::State& state)
{
    relayHostBesideCat(state, bench::pageTreeFrameBody());
}

BENCHMARK(BM_RelaySnapshotHostBesideCat)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(40);
BENCHMARK(BM_RelayPageTreeHostBesideCat)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(100);

void BM_RelaySnapshotThroughHost(benchmark::State& state)
{
    relayThroughHost(state, bench::snapshotFrameBody());
}

void BM_RelaySnapshotThroughCat(benchmark::State& state)
{
    relayThroughCat(state, bench::snapshotFrameBody());
}

void BM_RelayPageTreeThroughHost(benchmark::State& state)
{
    relayThroughHost(state, bench::pageTreeFrameBody());
}

void BM_RelayPageTreeThroughCat(benchmark::State& state)
{
    relayThroughCat(state, bench::pageTreeFrameBody());
}

BENCHMARK(BM_RelaySnapshotThroughHost)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BM_RelaySnapshotThroughCat)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BM_RelayPageTreeThroughHost)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BM_RelayPageTreeThroughCat)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

// This process's resident memory now, in MiB.
double residentMiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stod(line.substr(6)) / 1024;
        }
    }
    return 0;
}

// A hostile frame of resultBytes: the host reads it, refuses it, tells Chrome and ends. Its peak memory, against
// the frame's size, and the processor time it took are what hostile input may cost.
//
// A started program's peak, as wait4 reports it, is at least what its parent held when it was started (the kernel
// carries the parent's mark across the exec of a spawned child). So the frame is written to a file and streamed from
// there, and this process's own mark is reset before the host starts: spawnerMiB is the floor that remains.
void hostRefuses(benchmark::State& state, std::string body)
{
    HostUnderTest setup;
    char pattern[] = "/tmp/tavlen-bench-frame-XXXXXX";
    const int file = ::mkstemp(pattern);
    ::unlink(pattern);
    const double frameMiB = double(body.size() + 4) / (1 << 20);
    writeAll(file, bench::framed(body));
    std::string().swap(body); // assigning an empty string would keep the buffer
    double peak = 0;
    double cpuSeconds = 0;
    double spawnerMiB = 0;
    for (auto _ : state) {
        ::malloc_trim(0);                              // the frames built here go back to the system
        std::ofstream("/proc/self/clear_refs") << "5"; // this process's peak becomes what it holds now
        spawnerMiB = residentMiB();
        Child& host = setup.start();
        std::string notice(64, '\0');
        std::thread writer([&] {
            std::string chunk(1 << 20, '\0');
            for (off_t at = 0;;) {
                const ssize_t n = ::pread(file, chunk.data(), chunk.size(), at);
                if (n <= 0) {
                    break;
                }
                at += n;
                try {
                    writeAll(host.toChild, chunk.substr(0, static_cast<std::size_t>(n)));
                } catch (const std::runtime_error&) {
                    break; // the host may end before it has read the last bytes
                }
            }
        });
        const ssize_t n = ::read(host.fromChild, notice.data(), notice.size());
        const auto usage = host.waitForUsage();
        peak = double(usage.ru_maxrss) / 1024;
        cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        writer.join();
        if (n <= 0) {
            state.SkipWithError("the host wrote no notice");
        }
    }
    ::close(file);
    state.counters["frameMiB"] = frameMiB;
    state.counters["peakMiB"] = peak;
    state.counters["peakPerFrame"] = peak / frameMiB;
    state.counters["cpuSeconds"] = cpuSeconds;
    state.counters["spawnerMiB"] = spawnerMiB;
}

std::size_t resultBytes()
{
    overrideMainBundleDirectory(fs::path(TAVLEN_BUNDLE_DIR));
    return static_cast<std::size_t>(BrowserConfiguration::load().limits.resultBytes);
}

void BM_HostRefusesAnArrayOfEmptyObjects(benchmark::State& state)
{
    hostRefuses(state, bench::emptyObjectsFrameBody(resultBytes()));
}

void BM_HostRefusesAnObjectOfRepeatedKeys(benchmark::State& state)
{
    hostRefuses(state, bench::repeatedKeysFrameBody(resultBytes() - 4 * 1024 * 1024));
}

void BM_HostRefusesAnArrayOfZeros(benchmark::State& state)
{
    hostRefuses(state, bench::zerosFrameBody(resultBytes()));
}

// What the host holds to refuse a frame of two bytes: the floor under every figure above.
void BM_HostRefusesATinyFrame(benchmark::State& state)
{
    hostRefuses(state, "[]");
}

BENCHMARK(BM_HostRefusesATinyFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_HostRefusesAnArrayOfZeros)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_HostRefusesAnObjectOfRepeatedKeys)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_HostRefusesAnArrayOfEmptyObjects)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace
} // namespace tavlen
