#include "Png.h"

#include "PngRgbDecoder.h"

#include <spng.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace tavlen {
namespace {

constexpr unsigned char kHeader[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
constexpr std::uint32_t kMaxDimension = 0x7FFFFFFF;
// Ancillary chunks (text, ICC profiles) are held in memory while decoding; no screenshot needs more.
constexpr std::size_t kChunkSizeLimit = 16u << 20;
constexpr std::size_t kChunkCacheLimit = 64u << 20;
// Page screenshots are mostly flat rows: the Up filter alone at zlib's default level encodes them about
// twice as fast as trying every filter per row, for output within a few percent of the same size.
constexpr int kCompressionLevel = 6;
constexpr int kFilterChoice = SPNG_FILTER_CHOICE_UP;

struct ContextDeleter
{
    void operator()(spng_ctx* context) const { spng_ctx_free(context); }
};

using Context = std::unique_ptr<spng_ctx, ContextDeleter>;

std::uint32_t readBigEndian(const unsigned char* p)
{
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

[[noreturn]] void fail(const char* what, int error)
{
    throw PngError(std::string(what) + ": " + spng_strerror(error));
}

std::uint64_t expectedByteCount(const RgbaImage& image)
{
    return std::uint64_t{image.width} * image.height * 4;
}

} // namespace

std::optional<PngSize> readPngSize(std::string_view bytes)
{
    if (bytes.size() < sizeof kHeader + 8 || std::memcmp(bytes.data(), kHeader, sizeof kHeader) != 0) {
        return std::nullopt;
    }
    const auto* dimensions = reinterpret_cast<const unsigned char*>(bytes.data()) + sizeof kHeader;
    const PngSize size{readBigEndian(dimensions), readBigEndian(dimensions + 4)};
    if (size.width == 0 || size.height == 0 || size.width > kMaxDimension || size.height > kMaxDimension) {
        return std::nullopt;
    }
    return size;
}

RgbaImage decodePng(std::string_view bytes, std::uint64_t maxPixels)
{
    const auto size = readPngSize(bytes);
    if (!size) {
        throw PngError("not a PNG image");
    }
    if (std::uint64_t{size->width} * size->height > maxPixels) {
        throw PngError("PNG image has too many pixels");
    }
    // Captures take the fast decoder; other kinds of image the general one.
    if (auto image = decodeRgbPng(bytes, maxPixels)) {
        return std::move(*image);
    }
    Context context(spng_ctx_new(0));
    if (!context) {
        throw PngError("PNG decoder could not be created");
    }
    spng_ctx* ctx = context.get();
    if (int error = spng_set_image_limits(ctx, size->width, size->height)) {
        fail("PNG limits", error);
    }
    if (int error = spng_set_chunk_limits(ctx, kChunkSizeLimit, kChunkCacheLimit)) {
        fail("PNG limits", error);
    }
    if (int error = spng_set_png_buffer(ctx, bytes.data(), bytes.size())) {
        fail("PNG input", error);
    }
    std::size_t length = 0;
    if (int error = spng_decoded_image_size(ctx, SPNG_FMT_RGBA8, &length)) {
        fail("PNG header", error);
    }
    RgbaImage image{size->width, size->height, {}};
    if (length != expectedByteCount(image)) {
        throw PngError("PNG image size does not match its header");
    }
    image.pixels.resize(length);
    if (int error = spng_decode_image(ctx, image.pixels.data(), length, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS)) {
        fail("PNG decoding", error);
    }
    return image;
}

RgbaImage cropImage(const RgbaImage& image, std::uint32_t x, std::uint32_t y, std::uint32_t w, std::uint32_t h)
{
    if (image.pixels.size() != expectedByteCount(image)) {
        throw PngError("image pixels do not match its size");
    }
    if (w == 0 || h == 0 || x > image.width || w > image.width - x || y > image.height || h > image.height - y) {
        throw PngError("crop rectangle is empty or outside the image");
    }
    RgbaImage crop{w, h, {}};
    crop.pixels.resize(expectedByteCount(crop));
    const std::size_t sourceStride = std::size_t{image.width} * 4;
    const std::size_t rowBytes = std::size_t{w} * 4;
    const std::uint8_t* source = image.pixels.data() + std::size_t{y} * sourceStride + std::size_t{x} * 4;
    std::uint8_t* target = crop.pixels.data();
    for (std::uint32_t row = 0; row < h; ++row, source += sourceStride, target += rowBytes) {
        std::memcpy(target, source, rowBytes);
    }
    return crop;
}

std::string encodePng(const RgbaImage& image)
{
    if (image.width == 0 || image.height == 0 || image.width > kMaxDimension || image.height > kMaxDimension) {
        throw PngError("image is empty or too large for PNG");
    }
    if (image.pixels.size() != expectedByteCount(image)) {
        throw PngError("image pixels do not match its size");
    }
    Context context(spng_ctx_new(SPNG_CTX_ENCODER));
    if (!context) {
        throw PngError("PNG encoder could not be created");
    }
    spng_ctx* ctx = context.get();
    spng_ihdr header{};
    header.width = image.width;
    header.height = image.height;
    header.bit_depth = 8;
    header.color_type = SPNG_COLOR_TYPE_TRUECOLOR_ALPHA;
    if (int error = spng_set_option(ctx, SPNG_ENCODE_TO_BUFFER, 1)) {
        fail("PNG output", error);
    }
    if (int error = spng_set_option(ctx, SPNG_IMG_COMPRESSION_LEVEL, kCompressionLevel)) {
        fail("PNG options", error);
    }
    if (int error = spng_set_option(ctx, SPNG_FILTER_CHOICE, kFilterChoice)) {
        fail("PNG options", error);
    }
    if (int error = spng_set_ihdr(ctx, &header)) {
        fail("PNG header", error);
    }
    if (int error =
            spng_encode_image(ctx, image.pixels.data(), image.pixels.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE)) {
        fail("PNG encoding", error);
    }
    std::size_t length = 0;
    int error = 0;
    std::unique_ptr<void, decltype(&std::free)> buffer(spng_get_png_buffer(ctx, &length, &error), &std::free);
    if (!buffer || error != 0) {
        fail("PNG output", error);
    }
    return std::string(static_cast<const char*>(buffer.get()), length);
}

} // namespace tavlen
