#pragma once

#include "BrowserRect.h"
#include "StepKind.h"
#include "Uuid.h"

#include <vector>

namespace tavlen::ui {

// One region drawn over a screenshot: the step it belongs to, the number in its badge, the kind that picks the
// badge's icon, and the rectangle in image pixels (origin top-left, y downwards).
struct StepsRegionOverlay
{
    Uuid id;
    int number = 0;
    StepKind kind = StepKind::read;
    BrowserRect rect;

    // Every field equal, the rectangle compared exactly.
    friend bool operator==(const StepsRegionOverlay&, const StepsRegionOverlay&) = default;
};

// Equal when both lists hold equal overlays in the same order. Cheap for the same storage.
bool regionOverlaysEqual(const std::vector<StepsRegionOverlay>& lhs, const std::vector<StepsRegionOverlay>& rhs);

} // namespace tavlen::ui
