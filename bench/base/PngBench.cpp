#include "Png.h"

#include <benchmark/benchmark.h>
#include <spng.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <stdexcept>
#include <string>

namespace tavlen {
namespace {

constexpr std::uint32_t kWidth = 1280;
constexpr std::uint32_t kHeight = 16000;
constexpr std::uint64_t kMaxPixels = std::uint64_t{kWidth} * kHeight;
// A typical Read region: a block of a page in the second screen.
constexpr std::uint32_t kGlyphWidth = 8, kGlyphHeight = 13;
constexpr std::uint32_t kCropX = 200, kCropY = 1400, kCropW = 800, kCropH = 600;

// A page-like screenshot: white background, a coloured header band, grey rules, and lines of "text"
// (short dark runs of varied length with word gaps), so it compresses the way a rendered web page does.
const std::string& pagePng()
{
    static const std::string png = [] {
        RgbaImage image{kWidth, kHeight, std::vector<std::uint8_t>(std::size_t{kWidth} * kHeight * 4, 0xFF)};
        std::mt19937 generator(7);
        // A small "font": 60 anti-aliased glyph bitmaps reused across the page, as rendered text is.
        std::vector<std::vector<std::uint8_t>> glyphs(60);
        for (auto& glyph : glyphs) {
            glyph.resize(kGlyphWidth * kGlyphHeight, 0xFF);
            for (std::uint32_t stroke = 0; stroke < 3; ++stroke) {
                const std::uint32_t column = generator() % (kGlyphWidth - 2) + 1;
                for (std::uint32_t gy = generator() % 5; gy < kGlyphHeight - generator() % 3; ++gy) {
                    glyph[gy * kGlyphWidth + column] = 0x30;
                    glyph[gy * kGlyphWidth + column + 1] = 0xA0;
                }
            }
        }
        const auto paint = [&](std::uint32_t x, std::uint32_t y, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
            std::uint8_t* p = &image.pixels[(std::size_t{y} * kWidth + x) * 4];
            p[0] = r;
            p[1] = g;
            p[2] = b;
        };
        for (std::uint32_t y = 0; y < 96; ++y) {
            for (std::uint32_t x = 0; x < kWidth; ++x) {
                paint(x, y, 0x1F, 0x4E, 0x8C);
            }
        }
        for (std::uint32_t line = 120; line + 24 < kHeight; line += 24) {
            if (line % 600 < 24) {
                for (std::uint32_t x = 40; x < kWidth - 40; ++x) {
                    paint(x, line + 12, 0xDD, 0xDD, 0xDD);
                }
                continue;
            }
            std::uint32_t x = 40;
            const std::uint32_t end = 400 + generator() % 820;
            while (x + kGlyphWidth < end) {
                const std::uint32_t letters = 2 + generator() % 9;
                for (std::uint32_t l = 0; l < letters && x + kGlyphWidth < end; ++l, x += kGlyphWidth) {
                    const auto& glyph = glyphs[generator() % glyphs.size()];
                    for (std::uint32_t gy = 0; gy < kGlyphHeight; ++gy) {
                        for (std::uint32_t gx = 0; gx < kGlyphWidth; ++gx) {
                            const std::uint8_t ink = glyph[gy * kGlyphWidth + gx];
                            if (ink != 0xFF) {
                                paint(x + gx, line + 5 + gy, ink, ink, ink);
                            }
                        }
                    }
                }
                x += kGlyphWidth / 2 + 1; // word gap
            }
        }
        return encodePng(image);
    }();
    return png;
}

std::string spngEncode(const void* pixels, std::size_t size, std::uint32_t width, std::uint32_t height)
{
    spng_ctx* ctx = spng_ctx_new(SPNG_CTX_ENCODER);
    spng_set_option(ctx, SPNG_ENCODE_TO_BUFFER, 1);
    spng_ihdr header{width, height, 8, SPNG_COLOR_TYPE_TRUECOLOR_ALPHA, 0, 0, 0};
    spng_set_ihdr(ctx, &header);
    if (spng_encode_image(ctx, pixels, size, SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE) != 0) {
        throw std::runtime_error("spng encode failed");
    }
    std::size_t length = 0;
    int error = 0;
    void* buffer = spng_get_png_buffer(ctx, &length, &error);
    std::string bytes(static_cast<const char*>(buffer), length);
    std::free(buffer);
    spng_ctx_free(ctx);
    return bytes;
}

std::vector<std::uint8_t> spngDecode(const std::string& png)
{
    spng_ctx* ctx = spng_ctx_new(0);
    spng_set_png_buffer(ctx, png.data(), png.size());
    std::size_t size = 0;
    spng_decoded_image_size(ctx, SPNG_FMT_RGBA8, &size);
    std::vector<std::uint8_t> pixels(size);
    if (spng_decode_image(ctx, pixels.data(), size, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS) != 0) {
        throw std::runtime_error("spng decode failed");
    }
    spng_ctx_free(ctx);
    return pixels;
}

void BM_PngDecodeCropEncode_Page(benchmark::State& state)
{
    const std::string& png = pagePng();
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
    const std::string& png = pagePng();
    std::size_t cropSize = 0;
    std::vector<std::uint8_t> region(std::size_t{kCropW} * kCropH * 4);
    for (auto _ : state) {
        const std::vector<std::uint8_t> pixels = spngDecode(png);
        for (std::uint32_t row = 0; row < kCropH; ++row) {
            std::memcpy(&region[std::size_t{row} * kCropW * 4],
                        &pixels[(std::size_t{kCropY + row} * kWidth + kCropX) * 4],
                        std::size_t{kCropW} * 4);
        }
        const std::string crop = spngEncode(region.data(), region.size(), kCropW, kCropH);
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
    const RgbaImage image = decodePng(pagePng(), kMaxPixels);
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
    const RgbaImage image = decodePng(pagePng(), kMaxPixels);
    std::size_t size = 0;
    for (auto _ : state) {
        const std::string png = spngEncode(image.pixels.data(), image.pixels.size(), kWidth, kHeight);
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
