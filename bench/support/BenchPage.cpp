#include "BenchPage.h"

#include "Png.h"

#include <spng.h>

#include <cstdlib>
#include <random>
#include <stdexcept>

namespace tavlen {
namespace {

constexpr std::uint32_t kGlyphWidth = 8, kGlyphHeight = 13;

} // namespace

// White background, a coloured header band, grey rules, and lines of "text" (short dark runs of varied length
// with word gaps).
const std::string& benchPagePng()
{
    static const std::string png = [] {
        constexpr std::uint32_t kWidth = benchPageWidth;
        constexpr std::uint32_t kHeight = benchPageHeight;
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

std::string spngBareEncode(const void* pixels, std::size_t size, std::uint32_t width, std::uint32_t height)
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

std::vector<std::uint8_t> spngBareDecode(const std::string& png)
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

} // namespace tavlen
