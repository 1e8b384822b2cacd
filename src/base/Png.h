#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tavlen {

struct PngSize
{
    std::uint32_t width;
    std::uint32_t height;
};

// An 8-bit RGBA bitmap: rows top to bottom, 4 bytes per pixel, no padding (pixels.size() == width*height*4).
struct RgbaImage
{
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> pixels;
};

class PngError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The pixel size from the PNG signature and the IHDR chunk header (the first 24 bytes), without decoding
// anything. Nullopt when the bytes do not start that way or a dimension is 0 or above 2^31-1.
std::optional<PngSize> readPngSize(std::string_view bytes);

// Decodes a whole PNG to 8-bit RGBA (transparency applied, gamma left as stored). The header's size is
// checked against maxPixels before any pixel data is inflated. Throws PngError on any failure.
RgbaImage decodePng(std::string_view bytes, std::uint64_t maxPixels);

// The w×h rectangle at (x, y) of the image. Throws PngError when it is empty or not wholly inside the image.
RgbaImage cropImage(const RgbaImage& image, std::uint32_t x, std::uint32_t y, std::uint32_t w, std::uint32_t h);

// Encodes the image as an 8-bit RGBA PNG. Throws PngError for an empty or inconsistent image or a failure.
std::string encodePng(const RgbaImage& image);

} // namespace tavlen
