#include "StepsScreenshot.h"

#include "Base64.h"
#include "StepsScreenshotError.h"
#include "StepsText.h"

namespace tavlen {
namespace {

[[noreturn]] void refuseImage()
{
    throw StepsScreenshotError(steps_text::screenshotUnreadable);
}

} // namespace

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
        image = decodePng(*png, static_cast<std::uint64_t>(size->width) * size->height);
    } catch (const PngError&) {
        refuseImage();
    }
    if (image.width != size->width || image.height != size->height) {
        refuseImage();
    }
    return std::shared_ptr<const StepsScreenshot>(new StepsScreenshot(std::move(image), std::move(*png), snapshot));
}

} // namespace tavlen
