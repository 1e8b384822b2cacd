#include "StepsRegionOverlay.h"

#include <algorithm>

namespace tavlen::ui {

bool regionOverlaysEqual(const std::vector<StepsRegionOverlay>& lhs, const std::vector<StepsRegionOverlay>& rhs)
{
    if (lhs.size() != rhs.size()) {
        return false;
    }
    if (lhs.empty() || lhs.data() == rhs.data()) {
        return true;
    }
    return std::equal(lhs.begin(), lhs.end(), rhs.begin());
}

} // namespace tavlen::ui
