#include "Png.h"

#include <gtest/gtest.h>
#include <spng.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

namespace tavlen {
namespace {

struct ImageCase
{
    const char* name;
    std::uint32_t width;
    std::uint32_t height;
    std::uint8_t colourType;
    std::uint8_t bitDepth;
    bool interlaced = false;
    int filter = SPNG_FILTER_CHOICE_ALL;
    bool transparency = false;
};

// Rows of the given kind filled from a seeded generator, runs of equal bytes mixed in so every filter is chosen.
std::string encodeWithLibspng(const ImageCase& image)
{
    const std::size_t channels = image.colourType == SPNG_COLOR_TYPE_TRUECOLOR         ? 3
                                 : image.colourType == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA ? 4
                                 : image.colourType == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA ? 2
                                                                                       : 1;
    const std::size_t rowBytes = (std::size_t{image.width} * channels * image.bitDepth + 7) / 8;
    std::vector<std::uint8_t> pixels(rowBytes * image.height);
    std::mt19937 random(image.width * 31 + image.height);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = random() % 4 == 0 ? static_cast<std::uint8_t>(random()) : i > 0 ? pixels[i - 1] : 7;
        if (image.colourType == SPNG_COLOR_TYPE_INDEXED && image.bitDepth == 8) {
            pixels[i] %= 4;
        }
    }
    spng_ctx* ctx = spng_ctx_new(SPNG_CTX_ENCODER);
    spng_set_option(ctx, SPNG_ENCODE_TO_BUFFER, 1);
    spng_set_option(ctx, SPNG_FILTER_CHOICE, image.filter);
    spng_ihdr header{image.width,
                     image.height,
                     image.bitDepth,
                     image.colourType,
                     0,
                     0,
                     static_cast<std::uint8_t>(image.interlaced ? SPNG_INTERLACE_ADAM7 : SPNG_INTERLACE_NONE)};
    spng_set_ihdr(ctx, &header);
    if (image.colourType == SPNG_COLOR_TYPE_INDEXED) {
        spng_plte palette{};
        palette.n_entries = 1u << std::min<unsigned>(image.bitDepth, 2);
        for (std::uint32_t i = 0; i < palette.n_entries; ++i) {
            palette.entries[i] = {std::uint8_t(i * 60), std::uint8_t(200 - i * 50), 9, 0};
        }
        spng_set_plte(ctx, &palette);
    }
    if (image.transparency) {
        spng_trns transparency{};
        transparency.red = transparency.green = transparency.blue = transparency.gray = 7;
        transparency.n_type3_entries = 1;
        spng_set_trns(ctx, &transparency);
    }
    EXPECT_EQ(spng_encode_image(ctx, pixels.data(), pixels.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE), 0)
        << image.name;
    std::size_t length = 0;
    int error = 0;
    void* buffer = spng_get_png_buffer(ctx, &length, &error);
    std::string png(static_cast<const char*>(buffer), length);
    std::free(buffer);
    spng_ctx_free(ctx);
    return png;
}

// Damaged headers may declare any size: both decoders are held to this many pixels.
constexpr std::uint64_t kTestPixels = 1 << 20;

// What libspng alone makes of the bytes: RGBA8 with transparency applied, or nothing for a broken image.
std::optional<std::vector<std::uint8_t>> decodeWithLibspng(const std::string& png)
{
    spng_ctx* ctx = spng_ctx_new(0);
    spng_set_png_buffer(ctx, png.data(), png.size());
    std::size_t length = 0;
    std::optional<std::vector<std::uint8_t>> pixels;
    spng_ihdr header{};
    if (spng_get_ihdr(ctx, &header) == 0 && std::uint64_t{header.width} * header.height <= kTestPixels &&
        spng_decoded_image_size(ctx, SPNG_FMT_RGBA8, &length) == 0) {
        pixels.emplace(length);
        if (spng_decode_image(ctx, pixels->data(), length, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS) != 0) {
            pixels.reset();
        }
    }
    spng_ctx_free(ctx);
    return pixels;
}

std::optional<std::vector<std::uint8_t>> decodeWithOurs(const std::string& png, std::uint64_t maxPixels = kTestPixels)
{
    try {
        return decodePng(png, maxPixels).pixels;
    } catch (const PngError&) {
        return std::nullopt;
    }
}

const std::vector<ImageCase>& images()
{
    static const std::vector<ImageCase> cases = {
        {"RGB, every filter", 37, 23, SPNG_COLOR_TYPE_TRUECOLOR, 8},
        {"RGBA, every filter", 37, 23, SPNG_COLOR_TYPE_TRUECOLOR_ALPHA, 8},
        {"RGB, no filter", 20, 9, SPNG_COLOR_TYPE_TRUECOLOR, 8, false, SPNG_FILTER_CHOICE_NONE},
        {"RGB, sub", 20, 9, SPNG_COLOR_TYPE_TRUECOLOR, 8, false, SPNG_FILTER_CHOICE_SUB},
        {"RGBA, up", 20, 9, SPNG_COLOR_TYPE_TRUECOLOR_ALPHA, 8, false, SPNG_FILTER_CHOICE_UP},
        {"RGBA, average", 20, 9, SPNG_COLOR_TYPE_TRUECOLOR_ALPHA, 8, false, SPNG_FILTER_CHOICE_AVG},
        {"RGB, Paeth", 20, 9, SPNG_COLOR_TYPE_TRUECOLOR, 8, false, SPNG_FILTER_CHOICE_PAETH},
        {"RGB, one pixel", 1, 1, SPNG_COLOR_TYPE_TRUECOLOR, 8},
        {"RGBA, one row", 300, 1, SPNG_COLOR_TYPE_TRUECOLOR_ALPHA, 8},
        {"RGB, one column", 1, 300, SPNG_COLOR_TYPE_TRUECOLOR, 8},
        {"RGB with a colour key", 16, 16, SPNG_COLOR_TYPE_TRUECOLOR, 8, false, SPNG_FILTER_CHOICE_ALL, true},
        {"RGB 16-bit", 16, 16, SPNG_COLOR_TYPE_TRUECOLOR, 16},
        {"RGBA 16-bit", 16, 16, SPNG_COLOR_TYPE_TRUECOLOR_ALPHA, 16},
        {"RGB interlaced", 33, 17, SPNG_COLOR_TYPE_TRUECOLOR, 8, true},
        {"RGBA interlaced", 33, 17, SPNG_COLOR_TYPE_TRUECOLOR_ALPHA, 8, true},
        {"grey 1-bit", 19, 5, SPNG_COLOR_TYPE_GRAYSCALE, 1},
        {"grey 4-bit", 19, 5, SPNG_COLOR_TYPE_GRAYSCALE, 4},
        {"grey 8-bit with a key", 19, 5, SPNG_COLOR_TYPE_GRAYSCALE, 8, false, SPNG_FILTER_CHOICE_ALL, true},
        {"grey 16-bit", 19, 5, SPNG_COLOR_TYPE_GRAYSCALE, 16},
        {"grey and alpha", 19, 5, SPNG_COLOR_TYPE_GRAYSCALE_ALPHA, 8},
        {"grey and alpha 16-bit", 19, 5, SPNG_COLOR_TYPE_GRAYSCALE_ALPHA, 16},
        {"palette 2-bit", 19, 5, SPNG_COLOR_TYPE_INDEXED, 2},
        {"palette 8-bit with transparency", 19, 5, SPNG_COLOR_TYPE_INDEXED, 8, false, SPNG_FILTER_CHOICE_ALL, true},
    };
    return cases;
}

TEST(PngDecoderDifferentialTest, decodesEveryKindOfImagePixelForPixelAsLibspng)
{
    for (const auto& image : images()) {
        SCOPED_TRACE(image.name);
        const std::string png = encodeWithLibspng(image);
        const auto expected = decodeWithLibspng(png);
        ASSERT_TRUE(expected.has_value());
        EXPECT_EQ(decodeWithOurs(png), expected);
    }
}

TEST(PngDecoderDifferentialTest, damagedStreamsGiveLibspngsPixelsOrNone)
{
    // Every truncation of small captures, and every single byte changed: checksums, lengths, the header, the
    // compressed rows, filter bytes.
    for (const auto& image : {images()[0], images()[1], images()[8]}) {
        const std::string png = encodeWithLibspng(image);
        for (std::size_t length = 0; length < png.size(); ++length) {
            SCOPED_TRACE(std::string(image.name) + ", cut to " + std::to_string(length));
            const std::string cut = png.substr(0, length);
            ASSERT_EQ(decodeWithOurs(cut), decodeWithLibspng(cut));
        }
        for (std::size_t at = 8; at < png.size(); ++at) {
            SCOPED_TRACE(std::string(image.name) + ", byte changed at " + std::to_string(at));
            std::string changed = png;
            changed[at] = static_cast<char>(changed[at] ^ 0x21);
            // Checksums are held to: where libspng reads a damaged stream, never noticing, into pixels, ours may
            // refuse it; it never gives other pixels.
            if (const auto ours = decodeWithOurs(changed)) {
                ASSERT_EQ(ours, decodeWithLibspng(changed));
            }
        }
    }
}

TEST(PngDecoderDifferentialTest, appliesThePixelCapBeforeDecoding)
{
    const std::string png = encodeWithLibspng(images()[0]);
    EXPECT_TRUE(decodeWithOurs(png, 37 * 23).has_value());
    EXPECT_FALSE(decodeWithOurs(png, 37 * 23 - 1).has_value());
}

} // namespace
} // namespace tavlen
