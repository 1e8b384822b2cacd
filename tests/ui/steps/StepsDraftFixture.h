#pragma once

#include "ScreenshotViewFixture.h"
#include "StepsDraft.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace tavlen::ui::test {

// A draft of an Open page step with a plain screenshot of the given size and that many Read steps, each reading
// a 100 × 40 region further down the page.
inline std::shared_ptr<StepsDraft>
draftWithReads(std::size_t reads, std::uint32_t width = 1000, std::uint32_t height = 2000)
{
    auto draft = StepsDraft::makeNew("https://example.com/", BrowserCaptureSettings{1280, 800, 1, false});
    draft->steps().front()->content().openPageSettings()->setScreenshot(plainCapture(width, height));
    for (std::size_t index = 0; index < reads; ++index) {
        draft->addReadStep(draft->steps().front()->id(), std::nullopt, BrowserRect{10, 10 + 50.0 * index, 100, 40});
    }
    draft->setSelectedID(std::nullopt);
    return draft;
}

// The step ids in draft order.
inline std::vector<Uuid> stepIDs(const StepsDraft& draft)
{
    std::vector<Uuid> ids;
    for (const auto& step : draft.steps()) {
        ids.push_back(step->id());
    }
    return ids;
}

} // namespace tavlen::ui::test
