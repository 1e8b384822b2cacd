#include "ReadingPillArrangement.h"

#include <algorithm>

namespace tavlen::ui {

ReadingPillArrangement
arrangeReadingPills(const std::vector<QSize>& pillSizes, std::optional<int> widthLimit, int spacing)
{
    ReadingPillArrangement arrangement;
    if (pillSizes.empty()) {
        return arrangement;
    }
    arrangement.frames.reserve(pillSizes.size());
    int x = 0;
    int y = 0;
    int rowHeight = 0;
    int widest = 0;
    for (const QSize& size : pillSizes) {
        if (x > 0 && widthLimit && x + size.width() > *widthLimit) {
            y += rowHeight + spacing;
            x = 0;
            rowHeight = 0;
        }
        arrangement.frames.emplace_back(x, y, size.width(), size.height());
        widest = std::max(widest, x + size.width());
        rowHeight = std::max(rowHeight, size.height());
        x += size.width() + spacing;
    }
    arrangement.size = QSize(widest, y + rowHeight);
    return arrangement;
}

} // namespace tavlen::ui
