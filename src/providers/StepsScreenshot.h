#pragma once

#include "BrowserPageTree.h"
#include "BrowserRect.h"
#include "BrowserSnapshot.h"
#include "Png.h"
#include "StepsCapture.h"
#include "Uuid.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tavlen {

// The one rule by which a rectangle drawn on a screenshot becomes a region in image pixels: none for a
// non-finite coordinate; a negative extent is standardised by moving the origin; the rectangle is cut to the
// image and refused when less than one pixel wide or high remains. Fractions are kept. Pure.
std::optional<BrowserRect> clampRegionToImage(const BrowserRect& rect, double imageWidth, double imageHeight);

// The decoded result of one Open page capture: the full-page bitmap, its PNG bytes and the page facts that came
// with it. Immutable once made and shared by reference; safe to read from any thread. Region coordinates
// elsewhere are in the pixel space of image().
class StepsScreenshot final : public StepsCapture
{
public:
    // Validates the page tree (its BridgeFailure passes unchanged, before any image work), then decodes the
    // base64 text strictly and the PNG at once. The PNG's header size must equal the snapshot's image size
    // before its pixels are decoded, so an oversized image is never inflated. Any image problem throws
    // ReadingFailure::screenshotUnreadable(). Any thread.
    static std::shared_ptr<const StepsScreenshot> make(const BrowserSnapshot& snapshot);

    // The most pixels a screenshot may have. A capture arrives in one frame of at most 32 MiB, so a real page's
    // bitmap stays within a small multiple of that, while a PNG of a few bytes can declare any size and inflate
    // to nothing: the bitmap may be at most 16 times the largest frame (512 MiB, e.g. 16,384 × 8,192 pixels).
    // Larger images are refused before anything is allocated.
    static constexpr std::uint64_t maximumPixels = std::uint64_t{16} * 32 * 1024 * 1024 / 4;

    const Uuid& id() const { return m_id; }

    const RgbaImage& image() const override { return m_image; }

    const std::string& png() const { return m_png; }

    const std::string& url() const { return m_url; }

    const std::string& capturedAt() const { return m_capturedAt; }

    const BrowserPageTree& pageTree() const { return m_pageTree; }

    const std::string& snapshotID() const { return m_snapshotID; }

    const BrowserRect& contentRect() const { return m_contentRect; }

    const BrowserGeometry& geometry() const { return m_geometry; }

private:
    StepsScreenshot(RgbaImage image, std::string png, const BrowserSnapshot& snapshot);

    Uuid m_id;
    RgbaImage m_image;
    std::string m_png;
    std::string m_url;
    std::string m_capturedAt;
    BrowserPageTree m_pageTree;
    std::string m_snapshotID;
    BrowserRect m_contentRect;
    BrowserGeometry m_geometry;
};

} // namespace tavlen
