#include "PopupPlacement.h"

#include <algorithm>

namespace tavlen::ui {

namespace {

constexpr int anchorGap = 4;

} // namespace

QRect popupGeometry(const QRect& anchor, QSize size, const QRect& screen, PopupEdge preferred)
{
    const int belowTop = anchor.bottom() + 1 + anchorGap;
    const int aboveTop = anchor.top() - anchorGap - size.height();
    const bool fitsBelow = belowTop + size.height() <= screen.bottom() + 1;
    const bool fitsAbove = aboveTop >= screen.top();
    PopupEdge edge = preferred;
    if (preferred == PopupEdge::below && !fitsBelow && fitsAbove) {
        edge = PopupEdge::above;
    } else if (preferred == PopupEdge::above && !fitsAbove && fitsBelow) {
        edge = PopupEdge::below;
    }
    int top = edge == PopupEdge::below ? belowTop : aboveTop;
    top = std::clamp(top, screen.top(), std::max(screen.top(), screen.bottom() + 1 - size.height()));
    int left = anchor.center().x() + 1 - size.width() / 2;
    left = std::clamp(left, screen.left(), std::max(screen.left(), screen.right() + 1 - size.width()));
    return {QPoint(left, top), size};
}

} // namespace tavlen::ui
