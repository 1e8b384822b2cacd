#pragma once

#include "BrowserPageTree.h"
#include "BrowserRect.h"
#include "BrowserSnapshot.h"
#include "Png.h"
#include "StepsCapture.h"
#include "Uuid.h"

#include <memory>
#include <string>

namespace tavlen {

// The decoded result of one Open page capture: the full-page bitmap, its PNG bytes and the page facts that came
// with it. Immutable once made and shared by reference; safe to read from any thread. Region coordinates
// elsewhere are in the pixel space of image().
class StepsScreenshot final : public StepsCapture
{
public:
    // Validates the page tree (its BridgeFailure passes unchanged, before any image work), then decodes the
    // base64 text strictly and the PNG at once. The PNG's header size must equal the snapshot's image size
    // before its pixels are decoded, so an oversized image is never inflated. Any image problem throws
    // StepsScreenshotError "Chrome returned an image that could not be opened. …". Any thread.
    static std::shared_ptr<const StepsScreenshot> make(const BrowserSnapshot& snapshot);

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
