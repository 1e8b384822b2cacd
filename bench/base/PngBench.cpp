#include "BenchPage.h"
#include "Png.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

namespace tavlen {
namespace {

constexpr std::uint32_t kWidth = benchPageWidth;
constexpr std::uint32_t kHeight = benchPageHeight;
constexpr std::uint64_t kMaxPixels = std::uint64_t{kWidth} * kHeight;
// A typical Read region: a block of a page in the second screen.
constexpr std::uint32_t kCropX = 200, kCropY = 1400, kCropW = 800, kCropH = 600;

void BM_PngDecodeCropEncode_Page(benchmark::State& state)
{
    const std::string& png = benchPagePng();
    std::size_t cropSize = 0;
    for (auto _ : state) {
        const RgbaImage image = decodePng(png, kMaxPixels);
        const std::string crop = encodePng(cropImage(image, kCropX, kCropY, kCropW, kCropH));
        cropSize = crop.size();
        benchmark::DoNotOptimize(crop);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * png.size()));
    state.counters["png_bytes"] = static_cast<double>(png.size());
    state.counters["crop_png_bytes"] = static_cast<double>(cropSize);
}

// Baseline: libspng alone, default encoder settings, decoding the same bytes and encoding the same region.
void BM_Baseline_SpngDecodeEncode_Page(benchmark::State& state)
{
    const std::string& png = benchPagePng();
    std::size_t cropSize = 0;
    std::vector<std::uint8_t> region(std::size_t{kCropW} * kCropH * 4);
    for (auto _ : state) {
        const std::vector<std::uint8_t> pixels = spngBareDecode(png);
        for (std::uint32_t row = 0; row < kCropH; ++row) {
            std::memcpy(&region[std::size_t{row} * kCropW * 4],
                        &pixels[(std::size_t{kCropY + row} * kWidth + kCropX) * 4],
                        std::size_t{kCropW} * 4);
        }
        const std::string crop = spngBareEncode(region.data(), region.size(), kCropW, kCropH);
        cropSize = crop.size();
        benchmark::DoNotOptimize(crop);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * png.size()));
    state.counters["png_bytes"] = static_cast<double>(png.size());
    state.counters["crop_png_bytes"] = static_cast<double>(cropSize);
}

// The whole page encoded: our settings against libspng's defaults (size counter shows the trade).
void BM_PngEncode_Page(benchmark::State& state)
{
    const RgbaImage image = decodePng(benchPagePng(), kMaxPixels);
    std::size_t size = 0;
    for (auto _ : state) {
        const std::string png = encodePng(image);
        size = png.size();
        benchmark::DoNotOptimize(png);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * image.pixels.size()));
    state.counters["png_bytes"] = static_cast<double>(size);
}

void BM_Baseline_SpngDefaultEncode_Page(benchmark::State& state)
{
    const RgbaImage image = decodePng(benchPagePng(), kMaxPixels);
    std::size_t size = 0;
    for (auto _ : state) {
        const std::string png = spngBareEncode(image.pixels.data(), image.pixels.size(), kWidth, kHeight);
        size = png.size();
        benchmark::DoNotOptimize(png);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * image.pixels.size()));
    state.counters["png_bytes"] = static_cast<double>(size);
}

BENCHMARK(BM_PngDecodeCropEncode_Page)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_SpngDecodeEncode_Page)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngEncode_Page)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_SpngDefaultEncode_Page)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tavlen
