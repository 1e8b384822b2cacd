#include "StepsScreenshot.h"

#include "Base64.h"
#include "ReadingFailure.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace tavlen {
namespace {

[[noreturn]] void refuseImage()
{
    throw ReadingFailure::screenshotUnreadable();
}

} // namespace

std::optional<BrowserRect> clampRegionToImage(const BrowserRect& rect, double imageWidth, double imageHeight)
{
    if (!std::isfinite(rect.x) || !std::isfinite(rect.y) || !std::isfinite(rect.width) || !std::isfinite(rect.height)) {
        return std::nullopt;
    }
    // std::min ignores a NaN bound, which would let the region through uncut; an image less than a pixel
    // across keeps nothing anyway.
    if (!(imageWidth >= 1) || !(imageHeight >= 1)) {
        return std::nullopt;
    }
    double left = rect.width < 0 ? rect.x + rect.width : rect.x;
    double top = rect.height < 0 ? rect.y + rect.height : rect.y;
    double right = left + std::abs(rect.width);
    double bottom = top + std::abs(rect.height);
    left = std::max(left, 0.0);
    top = std::max(top, 0.0);
    right = std::min(right, imageWidth);
    bottom = std::min(bottom, imageHeight);
    // Written so that a NaN extent also counts as too small.
    if (!(right - left >= 1) || !(bottom - top >= 1)) {
        return std::nullopt;
    }
    return BrowserRect{left, top, right - left, bottom - top};
}

StepsScreenshot::StepsScreenshot(RgbaImage image, std::string png, const BrowserSnapshot& snapshot)
    : m_id(Uuid::random())
    , m_image(std::move(image))
    , m_png(std::move(png))
    , m_url(snapshot.url)
    , m_capturedAt(snapshot.capturedAt)
    , m_pageTree(snapshot.pageTree)
    , m_snapshotID(snapshot.snapshotID)
    , m_contentRect(snapshot.contentRect)
    , m_geometry(snapshot.geometry)
{}

std::shared_ptr<const StepsScreenshot> StepsScreenshot::make(const BrowserSnapshot& snapshot)
{
    snapshot.pageTree.validate(snapshot.snapshotID);

    std::optional<std::string> png = base64Decode(snapshot.imageBase64);
    if (!png) {
        refuseImage();
    }
    // The size in the header decides before any pixel is inflated: an image larger than announced is refused
    // without allocating its bitmap.
    std::optional<PngSize> size = readPngSize(*png);
    if (!size || snapshot.imageWidth <= 0 || snapshot.imageHeight <= 0 ||
        static_cast<std::int64_t>(size->width) != snapshot.imageWidth ||
        static_cast<std::int64_t>(size->height) != snapshot.imageHeight) {
        refuseImage();
    }
    RgbaImage image;
    try {
        image = decodePng(*png, maximumPixels);
    } catch (const PngError&) {
        refuseImage();
    } catch (const std::bad_alloc&) {
        // A bitmap within the limit that memory cannot hold right now is as unusable as a broken file.
        refuseImage();
    }
    if (image.width != size->width || image.height != size->height) {
        refuseImage();
    }
    return std::shared_ptr<const StepsScreenshot>(new StepsScreenshot(std::move(image), std::move(*png), snapshot));
}

} // namespace tavlen
