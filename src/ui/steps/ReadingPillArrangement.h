#pragma once

#include <QRect>
#include <QSize>

#include <optional>
#include <vector>

namespace tavlen::ui {

// Where the reading pills go: one frame per pill in order, and the size all of them take.
struct ReadingPillArrangement
{
    std::vector<QRect> frames;
    QSize size{0, 0};
};

// Flows the pills into rows left to right, top to bottom, with the spacing between pills and between rows. A pill
// starts a new row only when it is not the first of its row and would end beyond the width limit; a pill wider
// than the limit keeps a row of its own, unshrunk. Without a limit every pill goes into one row.
ReadingPillArrangement
arrangeReadingPills(const std::vector<QSize>& pillSizes, std::optional<int> widthLimit, int spacing);

} // namespace tavlen::ui
