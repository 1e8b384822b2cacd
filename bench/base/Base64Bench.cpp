#include "Base64.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>

namespace tavlen {
namespace {

constexpr std::size_t kSixteenMiB = 16u << 20;

std::string randomBytes(std::size_t size)
{
    std::mt19937_64 generator(42);
    std::string bytes(size, '\0');
    for (auto& byte : bytes) {
        byte = static_cast<char>(generator() & 0xFF);
    }
    return bytes;
}

// 16 MiB of base64 text (12 MiB of bytes), the size of a large screenshot.
void BM_Base64DecodeStrict(benchmark::State& state)
{
    const std::string text = base64Encode(randomBytes(kSixteenMiB / 4 * 3));
    for (auto _ : state) {
        auto bytes = base64Decode(text);
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void BM_Base64Encode(benchmark::State& state)
{
    const std::string bytes = randomBytes(kSixteenMiB / 4 * 3);
    for (auto _ : state) {
        auto text = base64Encode(bytes);
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

// Baseline: copying 16 MiB into a fresh buffer, the floor for any decoder that returns new memory.
void BM_Baseline_Memcpy16MiB(benchmark::State& state)
{
    const std::string source = randomBytes(kSixteenMiB);
    for (auto _ : state) {
        std::string copy(source.size(), '\0');
        std::memcpy(copy.data(), source.data(), source.size());
        benchmark::DoNotOptimize(copy);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * source.size()));
}

BENCHMARK(BM_Base64DecodeStrict)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Base64Encode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_Memcpy16MiB)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tavlen
