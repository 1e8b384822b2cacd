// What frames waiting in a channel's write queue cost in memory, against what the queue limit counts for them: a
// peer that reads nothing while the channel is sent frames until the limit refuses one. For the smallest frames
// the bookkeeping outweighs the bodies, which is why the limit counts an overhead per frame.

#include "BrowserChannel.h"

#include <benchmark/benchmark.h>

#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace tavlen {
namespace {

// Resident memory of this process, in bytes.
double residentBytes()
{
    long pages = 0;
    long resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) {
            resident = 0;
        }
        std::fclose(statm);
    }
    return double(resident) * double(::sysconf(_SC_PAGESIZE));
}

void queueUntilRefused(benchmark::State& state)
{
    const auto bodyBytes = static_cast<std::size_t>(state.range(0));
    constexpr std::size_t queueLimit = 64 << 20;
    const std::string body(bodyBytes, 'p');
    double perFrame = 0;
    double perLimit = 0;
    std::size_t admitted = 0;
    for (auto _ : state) {
        int fds[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) {
            state.SkipWithError("no socket pair");
            return;
        }
        const double before = residentBytes();
        auto channel = BrowserChannel::make(fds[0], fds[0], true, 1 << 20, 1 << 20, queueLimit);
        channel->start([](BrowserFrame) {}, [] {});
        admitted = 0;
        while (channel->send(body)) {
            ++admitted;
        }
        const double grown = residentBytes() - before;
        perFrame = grown / double(admitted);
        perLimit = grown / double(queueLimit);
        channel->close();
        channel.reset();
        ::close(fds[1]);
    }
    state.counters["frames"] = double(admitted);
    state.counters["residentPerFrame"] = perFrame;
    state.counters["residentPerQueueLimit"] = perLimit;
}

BENCHMARK(queueUntilRefused)->Arg(1)->Arg(64)->Arg(4096)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
} // namespace tavlen
