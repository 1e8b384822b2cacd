#include "ScreenshotCrop.h"

#include "StepsScreenshot.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tavlen::ui {

std::optional<QImage> cropForPreview(const RgbaImage& image, const BrowserRect& region)
{
    std::optional<BrowserRect> clamped = clampRegionToImage(region, image.width, image.height);
    if (!clamped) {
        return std::nullopt;
    }
    const auto left = std::uint32_t(std::floor(clamped->x));
    const auto top = std::uint32_t(std::floor(clamped->y));
    const auto right = std::min(image.width, std::uint32_t(std::ceil(clamped->x + clamped->width)));
    const auto bottom = std::min(image.height, std::uint32_t(std::ceil(clamped->y + clamped->height)));
    QImage crop(int(right - left), int(bottom - top), QImage::Format_RGBA8888);
    if (crop.isNull()) {
        return std::nullopt;
    }
    const std::size_t rowBytes = std::size_t(right - left) * 4;
    for (std::uint32_t row = top; row < bottom; ++row) {
        const std::uint8_t* source = image.pixels.data() + (std::size_t(row) * image.width + left) * 4;
        std::memcpy(crop.scanLine(int(row - top)), source, rowBytes);
    }
    return crop;
}

} // namespace tavlen::ui
