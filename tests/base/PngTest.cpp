#include "Png.h"

#include <gtest/gtest.h>
#include <spng.h>

#include <cstdlib>
#include <limits>
#include <string>

namespace tavlen {
namespace {

constexpr std::uint64_t kNoLimit = std::numeric_limits<std::uint64_t>::max();

RgbaImage gradient(std::uint32_t width, std::uint32_t height)
{
    RgbaImage image{width, height, std::vector<std::uint8_t>(std::size_t{width} * height * 4)};
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            std::uint8_t* p = &image.pixels[(std::size_t{y} * width + x) * 4];
            p[0] = static_cast<std::uint8_t>(x);
            p[1] = static_cast<std::uint8_t>(y);
            p[2] = static_cast<std::uint8_t>(x ^ y);
            p[3] = static_cast<std::uint8_t>(255 - x);
        }
    }
    return image;
}

// A PNG whose header declares the given size, followed by bytes that are no image data at all.
std::string headerOnlyPng(std::uint32_t width, std::uint32_t height)
{
    std::string bytes("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16);
    for (std::uint32_t value : {width, height}) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            bytes += static_cast<char>(value >> shift & 0xFF);
        }
    }
    bytes += std::string("\x08\x06\0\0\0", 5) + "garbage";
    return bytes;
}

// A two-entry palette image with a transparent first entry, written by libspng directly.
std::string indexedPngWithTransparency()
{
    spng_ctx* ctx = spng_ctx_new(SPNG_CTX_ENCODER);
    spng_set_option(ctx, SPNG_ENCODE_TO_BUFFER, 1);
    spng_ihdr header{2, 1, 8, SPNG_COLOR_TYPE_INDEXED, 0, 0, 0};
    spng_set_ihdr(ctx, &header);
    spng_plte palette{};
    palette.n_entries = 2;
    palette.entries[0] = {10, 20, 30, 0};
    palette.entries[1] = {40, 50, 60, 0};
    spng_set_plte(ctx, &palette);
    spng_trns transparency{};
    transparency.n_type3_entries = 1;
    transparency.type3_alpha[0] = 0;
    spng_set_trns(ctx, &transparency);
    const std::uint8_t indices[] = {0, 1};
    EXPECT_EQ(spng_encode_image(ctx, indices, sizeof indices, SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE), 0);
    std::size_t length = 0;
    int error = 0;
    void* buffer = spng_get_png_buffer(ctx, &length, &error);
    std::string bytes(static_cast<const char*>(buffer), length);
    std::free(buffer);
    spng_ctx_free(ctx);
    return bytes;
}

TEST(Png, encodeThenDecode_givesSamePixels)
{
    const RgbaImage image = gradient(37, 23);
    const std::string png = encodePng(image);
    const auto size = readPngSize(png);
    ASSERT_TRUE(size.has_value());
    EXPECT_EQ(size->width, 37u);
    EXPECT_EQ(size->height, 23u);
    const RgbaImage decoded = decodePng(png, 37 * 23);
    EXPECT_EQ(decoded.width, 37u);
    EXPECT_EQ(decoded.height, 23u);
    EXPECT_EQ(decoded.pixels, image.pixels);
}

TEST(Png, indexedImage_decodesToRgbaWithTransparency)
{
    const RgbaImage decoded = decodePng(indexedPngWithTransparency(), kNoLimit);
    EXPECT_EQ(decoded.pixels, (std::vector<std::uint8_t>{10, 20, 30, 0, 40, 50, 60, 255}));
}

TEST(Png, readPngSize_needsSignatureAndHeader)
{
    EXPECT_TRUE(readPngSize(headerOnlyPng(1, 1)).has_value());
    EXPECT_FALSE(readPngSize(headerOnlyPng(1, 1).substr(0, 23)).has_value());
    EXPECT_FALSE(readPngSize(headerOnlyPng(0, 5)).has_value());
    EXPECT_FALSE(readPngSize(headerOnlyPng(5, 0x80000000u)).has_value());
    std::string jpeg = headerOnlyPng(1, 1);
    jpeg[0] = '\xFF';
    EXPECT_FALSE(readPngSize(jpeg).has_value());
    std::string otherChunk = headerOnlyPng(1, 1);
    otherChunk[12] = 'i';
    EXPECT_FALSE(readPngSize(otherChunk).has_value());
}

TEST(Png, sizeAboveLimit_isRefusedFromHeaderAlone)
{
    // The data after the header is garbage: only a size check that runs first gives this message.
    try {
        decodePng(headerOnlyPng(100000, 100000), 16000u * 1280u);
        FAIL() << "decoded an over-sized image";
    } catch (const PngError& error) {
        EXPECT_STREQ(error.what(), "PNG image has too many pixels");
    }
    const std::string png = encodePng(gradient(10, 10));
    EXPECT_THROW(decodePng(png, 99), PngError);
    EXPECT_NO_THROW(decodePng(png, 100));
}

TEST(Png, damagedData_throwsPngError)
{
    const std::string png = encodePng(gradient(64, 64));
    for (std::size_t length : {std::size_t{0}, std::size_t{8}, std::size_t{33}, std::size_t{60}, png.size() / 2}) {
        SCOPED_TRACE(length);
        EXPECT_THROW(decodePng(png.substr(0, length), kNoLimit), PngError);
    }
    std::string badCrc = png;
    badCrc[29] = static_cast<char>(badCrc[29] ^ 1); // inside the IHDR CRC
    EXPECT_THROW(decodePng(badCrc, kNoLimit), PngError);
    std::string badData = png;
    badData[png.size() / 2] = static_cast<char>(badData[png.size() / 2] ^ 0x55);
    EXPECT_THROW(decodePng(badData, kNoLimit), PngError);
}

TEST(Png, crop_copiesTheRectangleAndRefusesOutOfBounds)
{
    const RgbaImage image = gradient(20, 10);
    const RgbaImage crop = cropImage(image, 5, 2, 3, 4);
    ASSERT_EQ(crop.width, 3u);
    ASSERT_EQ(crop.height, 4u);
    EXPECT_EQ(crop.pixels[0], 5);                   // x of the first pixel
    EXPECT_EQ(crop.pixels[1], 2);                   // y of the first pixel
    EXPECT_EQ(crop.pixels[(3 * 3 + 2) * 4], 7);     // last pixel, x
    EXPECT_EQ(crop.pixels[(3 * 3 + 2) * 4 + 1], 5); // last pixel, y
    EXPECT_EQ(cropImage(image, 0, 0, 20, 10).pixels, image.pixels);

    struct Case
    {
        const char* name;
        std::uint32_t x, y, w, h;
    };

    const Case cases[] = {
        {"zero width", 0, 0, 0, 5},
        {"zero height", 0, 0, 5, 0},
        {"one column too wide", 1, 0, 20, 10},
        {"one row too high", 0, 1, 20, 10},
        {"origin past the right edge", 20, 0, 1, 1},
        {"width that wraps around", 5, 0, 0xFFFFFFFFu, 1},
        {"height that wraps around", 0, 5, 1, 0xFFFFFFFEu},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_THROW(cropImage(image, row.x, row.y, row.w, row.h), PngError);
    }
}

TEST(Png, inconsistentImage_isNotEncoded)
{
    EXPECT_THROW(encodePng(RgbaImage{}), PngError);
    RgbaImage shortPixels = gradient(4, 4);
    shortPixels.pixels.pop_back();
    EXPECT_THROW(encodePng(shortPixels), PngError);
    EXPECT_THROW(cropImage(shortPixels, 0, 0, 1, 1), PngError);
}

} // namespace
} // namespace tavlen
