#include "BenchPage.h"
#include "Png.h"

#include <benchmark/benchmark.h>

#include <libdeflate.h>

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

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

// The whole page decoded, beside libspng alone and beside a bare inflate of its rows (libdeflate, no unfiltering):
// what is left above the inflate is the unfiltering and the spreading into RGBA.
void BM_PngDecode_Page(benchmark::State& state)
{
    const std::string& png = benchPagePng();
    for (auto _ : state) {
        benchmark::DoNotOptimize(decodePng(png, kMaxPixels));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * png.size()));
}

void BM_Baseline_SpngDecode_Page(benchmark::State& state)
{
    const std::string& png = benchPagePng();
    for (auto _ : state) {
        benchmark::DoNotOptimize(spngBareDecode(png));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * png.size()));
}

void BM_Baseline_BareInflate_Page(benchmark::State& state)
{
    const std::string& png = benchPagePng();
    // The compressed rows: every IDAT chunk's body, in order.
    std::string rows;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const auto* p = reinterpret_cast<const unsigned char*>(png.data() + at);
        const std::size_t length = std::size_t{p[0]} << 24 | std::size_t{p[1]} << 16 | std::size_t{p[2]} << 8 | p[3];
        if (std::string_view(png.data() + at + 4, 4) == "IDAT") {
            rows.append(png.data() + at + 8, length);
        }
        at += 12 + length;
    }
    std::vector<unsigned char> raw((std::size_t{kWidth} * 4 + 1) * kHeight);
    libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
    for (auto _ : state) {
        if (libdeflate_zlib_decompress(decompressor, rows.data(), rows.size(), raw.data(), raw.size(), nullptr) !=
            LIBDEFLATE_SUCCESS) {
            state.SkipWithError("the rows did not inflate");
        }
        benchmark::DoNotOptimize(raw.data());
    }
    libdeflate_free_decompressor(decompressor);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * png.size()));
}

// A long page captured at scale 2: the page above doubled each way and cut to 2560 × 30000 (307 MB as RGBA).
const std::string& capturePng()
{
    static const std::string png = [] {
        const RgbaImage page = decodePng(benchPagePng(), kMaxPixels);
        RgbaImage capture{2560, 30000, std::vector<std::uint8_t>(std::size_t{2560} * 30000 * 4)};
        for (std::uint32_t y = 0; y < capture.height; ++y) {
            const std::uint8_t* source = &page.pixels[std::size_t{y / 2} * kWidth * 4];
            std::uint8_t* target = &capture.pixels[std::size_t{y} * capture.width * 4];
            for (std::uint32_t x = 0; x < capture.width; ++x) {
                std::memcpy(target + std::size_t{x} * 4, source + std::size_t{x / 2} * 4, 4);
            }
        }
        return encodePng(capture);
    }();
    return png;
}

void BM_PngDecode_Capture2560x30000(benchmark::State& state)
{
    const std::string& png = capturePng();
    for (auto _ : state) {
        benchmark::DoNotOptimize(decodePng(png, std::uint64_t{2560} * 30000));
    }
    state.counters["png_bytes"] = static_cast<double>(png.size());
}

void BM_Baseline_SpngDecode_Capture2560x30000(benchmark::State& state)
{
    const std::string& png = capturePng();
    for (auto _ : state) {
        benchmark::DoNotOptimize(spngBareDecode(png));
    }
}

BENCHMARK(BM_PngDecode_Capture2560x30000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Baseline_SpngDecode_Capture2560x30000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PngDecode_Page)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_SpngDecode_Page)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_BareInflate_Page)->Unit(benchmark::kMillisecond);

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
