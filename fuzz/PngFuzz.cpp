// PNG size and decoding under a pixel limit: only PngError escapes, nothing above the limit is decoded, a decoded
// image has the header's size and survives encoding, decoding and cropping unchanged.
#include "FuzzInput.h"
#include "Png.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace tavlen;

namespace {

// Enough for every seed and small enough that a declared size costs the fuzzer nothing.
constexpr std::uint64_t maxPixels = 1 << 20;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input = fuzz::textOf(data, size);
    const std::optional<PngSize> declared = readPngSize(input);
    RgbaImage image;
    try {
        image = decodePng(input, maxPixels);
    } catch (const PngError&) {
        return 0;
    }
    fuzz::require(declared.has_value(), "a decoded image had a readable size");
    fuzz::require(image.width == declared->width && image.height == declared->height, "the header's size");
    fuzz::require(std::uint64_t{image.width} * image.height <= maxPixels, "within the pixel limit");
    fuzz::require(image.pixels.size() == std::size_t{image.width} * image.height * 4, "four bytes per pixel");

    const std::string encoded = encodePng(image);
    const RgbaImage back = decodePng(encoded, maxPixels);
    fuzz::require(back.width == image.width && back.height == image.height && back.pixels == image.pixels,
                  "encoding and decoding keep every pixel");

    // A crop taken from the bytes left after the image: its pixels are the image's.
    FuzzedDataProvider provider(data, size);
    const auto x = provider.ConsumeIntegralInRange<std::uint32_t>(0, image.width - 1);
    const auto y = provider.ConsumeIntegralInRange<std::uint32_t>(0, image.height - 1);
    const auto w = provider.ConsumeIntegralInRange<std::uint32_t>(1, image.width - x);
    const auto h = provider.ConsumeIntegralInRange<std::uint32_t>(1, image.height - y);
    const RgbaImage crop = cropImage(image, x, y, w, h);
    fuzz::require(crop.width == w && crop.height == h, "the crop's size");
    for (std::uint32_t row = 0; row < h; ++row) {
        const auto* source = image.pixels.data() + (std::size_t{y + row} * image.width + x) * 4;
        const auto* target = crop.pixels.data() + std::size_t{row} * w * 4;
        fuzz::require(std::equal(source, source + std::size_t{w} * 4, target), "the crop's pixels are the image's");
    }
    try {
        cropImage(image, x, y, image.width - x + 1, h);
        fuzz::require(false, "a crop beyond the image is refused");
    } catch (const PngError&) {
    }
    return 0;
}
