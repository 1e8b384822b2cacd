#include "PngRgbDecoder.h"

#include <libdeflate.h>
#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace tavlen {
namespace {

constexpr std::size_t signatureBytes = 8;
constexpr unsigned char signature[signatureBytes] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint32_t maximumChunkLength = 0x7FFFFFFF;

struct DecompressorDeleter
{
    void operator()(libdeflate_decompressor* decompressor) const { libdeflate_free_decompressor(decompressor); }
};

std::uint32_t bigEndian(const unsigned char* p)
{
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

bool isChunk(const unsigned char* type, const char* name)
{
    return std::memcmp(type, name, 4) == 0;
}

// Ancillary chunks have a lower-case first letter.
bool isCritical(const unsigned char* type)
{
    return (type[0] & 0x20) == 0;
}

unsigned char paeth(unsigned char a, unsigned char b, unsigned char c)
{
    const int p = int(a) + int(b) - int(c);
    const int pa = std::abs(p - int(a));
    const int pb = std::abs(p - int(b));
    const int pc = std::abs(p - int(c));
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// The Up filter, the one page captures use most, sixteen bytes at a time in every build.
void addRowAbove(unsigned char* row, const unsigned char* previous, std::size_t length)
{
    using Bytes = unsigned char __attribute__((vector_size(16)));
    std::size_t i = 0;
    for (; i + sizeof(Bytes) <= length; i += sizeof(Bytes)) {
        Bytes a;
        Bytes b;
        std::memcpy(&a, row + i, sizeof a);
        std::memcpy(&b, previous + i, sizeof b);
        a += b;
        std::memcpy(row + i, &a, sizeof a);
    }
    for (; i < length; ++i) {
        row[i] = static_cast<unsigned char>(row[i] + previous[i]);
    }
}

// Undoes one row's filter in place; `previous` is the row above, already unfiltered (zeros for the first).
template <std::size_t channels>
void unfilter(unsigned char filter, unsigned char* row, const unsigned char* previous, std::size_t length)
{
    switch (filter) {
    case 0:
        return;
    case 1:
        for (std::size_t i = channels; i < length; ++i) {
            row[i] = static_cast<unsigned char>(row[i] + row[i - channels]);
        }
        return;
    case 2:
        addRowAbove(row, previous, length);
        return;
    case 3:
        for (std::size_t i = 0; i < length; ++i) {
            const unsigned left = i >= channels ? row[i - channels] : 0;
            row[i] = static_cast<unsigned char>(row[i] + ((left + previous[i]) >> 1));
        }
        return;
    case 4:
        for (std::size_t i = 0; i < channels; ++i) {
            row[i] = static_cast<unsigned char>(row[i] + previous[i]);
        }
        for (std::size_t i = channels; i < length; ++i) {
            row[i] = static_cast<unsigned char>(row[i] + paeth(row[i - channels], previous[i], previous[i - channels]));
        }
        return;
    default:
        throw PngError("PNG decoding: unknown row filter");
    }
}

// The inflated rows lie at the end of `pixels`; each is unfiltered into a row buffer (the previous one kept for
// the next) and written as RGBA from the front. Row r of RGBA ends no later than row r + 1 of the inflated rows
// begins, so every inflated row is read before it is overwritten.
template <std::size_t channels> void unfilterIntoRgba(RgbaImage& image, std::size_t rawOffset)
{
    const std::size_t length = std::size_t{image.width} * channels;
    std::vector<unsigned char> rows(2 * length, 0);
    unsigned char* previous = rows.data();
    unsigned char* current = rows.data() + length;
    unsigned char* out = image.pixels.data();
    const unsigned char* raw = image.pixels.data() + rawOffset;
    for (std::uint32_t y = 0; y < image.height; ++y, raw += length + 1) {
        const unsigned char filter = raw[0];
        std::memcpy(current, raw + 1, length);
        unfilter<channels>(filter, current, previous, length);
        if constexpr (channels == 4) {
            std::memcpy(out, current, length);
            out += length;
        } else {
            for (std::size_t x = 0; x < length; x += 3, out += 4) {
                out[0] = current[x];
                out[1] = current[x + 1];
                out[2] = current[x + 2];
                out[3] = 0xFF;
            }
        }
        std::swap(previous, current);
    }
}

// A bitmap of a long page runs to hundreds of megabytes, and touching it page by page for the first time cost more
// than inflating into it: large pages take a 512th of the faults. Only advice; the kernel may decline.
void adviseLargePages(void* start, std::size_t size)
{
    constexpr std::uintptr_t largePage = 2u << 20;
    const auto from = (reinterpret_cast<std::uintptr_t>(start) + largePage - 1) & ~(largePage - 1);
    const auto to = (reinterpret_cast<std::uintptr_t>(start) + size) & ~(largePage - 1);
    if (to > from) {
        ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
    }
}

} // namespace

std::optional<RgbaImage> decodeRgbPng(std::string_view bytes, std::uint64_t maxPixels)
{
    const auto size = readPngSize(bytes);
    if (!size) {
        throw PngError("not a PNG image");
    }
    if (std::uint64_t{size->width} * size->height > maxPixels) {
        throw PngError("PNG image has too many pixels");
    }
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t end = bytes.size();
    std::size_t at = signatureBytes;
    std::size_t channels = 0;
    std::string compressed;
    bool sawData = false;
    bool dataEnded = false;
    static_assert(sizeof signature == signatureBytes);
    while (true) {
        if (end - at < 12) {
            if (sawData) {
                break; // the rows may all be there; the stream decides
            }
            throw PngError("PNG decoding: truncated image");
        }
        const std::uint32_t length = bigEndian(data + at);
        const unsigned char* type = data + at + 4;
        const unsigned char* body = type + 4;
        if (length > maximumChunkLength || length > end - at - 12) {
            // Image data whose checksum alone is cut off still gives every row, as the general decoder reads it.
            if (length <= maximumChunkLength && length <= end - at - 8 && isChunk(type, "IDAT") && !dataEnded) {
                compressed.append(reinterpret_cast<const char*>(body), length);
                sawData = true;
                break;
            }
            throw PngError("PNG decoding: truncated image");
        }
        if (isCritical(type) && libdeflate_crc32(0, type, length + 4) != bigEndian(body + length)) {
            throw PngError("PNG decoding: chunk checksum mismatch");
        }
        at += 12 + std::size_t{length};
        if (isChunk(type, "IHDR")) {
            // depth 8, RGB (2) or RGBA (6), compression 0, filter 0, not interlaced.
            if (length != 13 || body[8] != 8 || (body[9] != 2 && body[9] != 6) || body[10] != 0 || body[11] != 0 ||
                body[12] != 0) {
                return std::nullopt;
            }
            channels = body[9] == 2 ? 3 : 4;
        } else if (isChunk(type, "tRNS") || isChunk(type, "PLTE")) {
            return std::nullopt;
        } else if (isChunk(type, "IDAT")) {
            if (dataEnded) {
                throw PngError("PNG decoding: image data split by another chunk");
            }
            sawData = true;
            compressed.append(reinterpret_cast<const char*>(body), length);
        } else if (isChunk(type, "IEND")) {
            break;
        } else if (sawData) {
            dataEnded = true;
        }
    }
    if (channels == 0 || !sawData) {
        throw PngError("PNG decoding: no image data");
    }
    RgbaImage image{size->width, size->height, {}};
    const std::size_t rgbaBytes = std::size_t{image.width} * image.height * 4;
    const std::size_t rawBytes = (std::size_t{image.width} * channels + 1) * image.height;
    // RGBA rows take one byte fewer than inflated RGBA rows (no filter byte), so the bitmap is a row's worth of
    // bytes longer while it also holds them.
    image.pixels.reserve(std::max(rgbaBytes, rawBytes));
    adviseLargePages(image.pixels.data(), image.pixels.capacity());
    image.pixels.resize(std::max(rgbaBytes, rawBytes));
    const std::size_t rawOffset = image.pixels.size() - rawBytes;
    std::unique_ptr<libdeflate_decompressor, DecompressorDeleter> decompressor(libdeflate_alloc_decompressor());
    if (!decompressor) {
        throw std::bad_alloc();
    }
    if (libdeflate_zlib_decompress(decompressor.get(),
                                   compressed.data(),
                                   compressed.size(),
                                   image.pixels.data() + rawOffset,
                                   rawBytes,
                                   nullptr) != LIBDEFLATE_SUCCESS) {
        throw PngError("PNG decoding: corrupt image data");
    }
    compressed = std::string();
    if (channels == 3) {
        unfilterIntoRgba<3>(image, rawOffset);
    } else {
        unfilterIntoRgba<4>(image, rawOffset);
    }
    image.pixels.resize(rgbaBytes);
    return image;
}

} // namespace tavlen
