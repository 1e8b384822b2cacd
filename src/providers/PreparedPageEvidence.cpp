#include "PreparedPageEvidence.h"

#include "Background.h"
#include "PageEvidenceProjection.h"
#include "Png.h"
#include "ReadingFailure.h"
#include "StepsScreenshot.h"

#include <algorithm>
#include <cmath>

namespace tavlen {
namespace {

std::string pngOfCrop(const StepsScreenshot& screenshot, const BrowserRect& crop)
{
    RgbaImage pixels;
    try {
        pixels = cropImage(screenshot.image(),
                           static_cast<std::uint32_t>(crop.x),
                           static_cast<std::uint32_t>(crop.y),
                           static_cast<std::uint32_t>(crop.width),
                           static_cast<std::uint32_t>(crop.height));
    } catch (const PngError&) {
        throw ReadingFailure::regionOutsideScreenshot();
    }
    try {
        return encodePng(pixels);
    } catch (const PngError&) {
        throw ReadingFailure::regionNotPrepared();
    }
}

} // namespace

QCoro::Task<PreparedPageEvidence> PreparedPageEvidence::prepare(std::shared_ptr<const StepsScreenshot> screenshot,
                                                                BrowserRect region)
{
    auto job = [screenshot = std::move(screenshot), region] { return make(*screenshot, region); };
    auto task = runInBackground(std::move(job));
    co_return co_await std::move(task);
}

PreparedPageEvidence PreparedPageEvidence::make(const StepsScreenshot& screenshot, const BrowserRect& region)
{
    const BrowserRect crop = cropRect(screenshot, region);
    PreparedPageEvidence evidence;
    evidence.png = pngOfCrop(screenshot, crop);
    evidence.treeJSON = PageEvidenceProjection::project(screenshot, crop);
    return evidence;
}

BrowserRect PreparedPageEvidence::cropRect(const StepsScreenshot& screenshot, const BrowserRect& region)
{
    const double width = screenshot.image().width;
    const double height = screenshot.image().height;
    const std::optional<BrowserRect> clamped = clampRegionToImage(region, width, height);
    if (!clamped) {
        throw ReadingFailure::regionOutsideScreenshot();
    }
    const double left = std::max(std::floor(clamped->x), 0.0);
    const double top = std::max(std::floor(clamped->y), 0.0);
    const double right = std::min(std::ceil(clamped->x + clamped->width), width);
    const double bottom = std::min(std::ceil(clamped->y + clamped->height), height);
    return {left, top, right - left, bottom - top};
}

std::string PreparedPageEvidence::croppedPNG(const StepsScreenshot& screenshot, const BrowserRect& region)
{
    return pngOfCrop(screenshot, cropRect(screenshot, region));
}

} // namespace tavlen
