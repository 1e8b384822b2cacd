#pragma once

#include <QRect>

namespace tavlen::ui {

enum class PopupEdge
{
    below,
    above
};

// Where a popup of a size goes for an anchor (both in global coordinates) on a screen's available area: centred
// on the anchor, on the preferred edge with a small gap, flipped to the other edge when only that one has room,
// and shifted sideways to stay on the screen.
QRect popupGeometry(const QRect& anchor, QSize size, const QRect& screen, PopupEdge preferred);

} // namespace tavlen::ui
