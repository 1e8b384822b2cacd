#pragma once

#include "BrowserRect.h"

#include <QCoroTask>

#include <memory>
#include <string>

namespace tavlen {

class StepsScreenshot;

// The two views of a Read step's region that a model request carries: the crop as PNG and the page evidence
// of the page tree inside it.
struct PreparedPageEvidence
{
    std::string png;
    std::string treeJSON; // at most PageEvidenceProjection::maximumBytes; {"nodes":[]} in the last resort

    // make() on a thread of its own, so the main thread never waits for an encoder. Not cancellable: a reader
    // whose read is cancelled still awaits it, and it keeps the screenshot alive until it ends.
    static QCoro::Task<PreparedPageEvidence> prepare(std::shared_ptr<const StepsScreenshot> screenshot,
                                                     BrowserRect region);

    // The crop, its PNG and the projection, in that order; the first failure ends it with its ReadingFailure.
    // Any thread.
    static PreparedPageEvidence make(const StepsScreenshot& screenshot, const BrowserRect& region);

    // The region (in image pixels, as stored on the Read step) clamped to the image and widened to whole pixels.
    // Throws ReadingFailure::regionOutsideScreenshot() when nothing of it lies on the image.
    static BrowserRect cropRect(const StepsScreenshot& screenshot, const BrowserRect& region);

    // The pixels of cropRect as PNG. Throws ReadingFailure::regionOutsideScreenshot() when they cannot be cut
    // out, ReadingFailure::regionNotPrepared() when they cannot be written.
    static std::string croppedPNG(const StepsScreenshot& screenshot, const BrowserRect& region);
};

} // namespace tavlen
