#pragma once

#include "TavlenButtonStyle.h"

#include <QRect>
#include <QString>

class QFont;
class QPainter;

namespace tavlen::ui {

// What a styled button shows: an optional kit symbol and a title, either may be empty. A button whose symbol
// place is taken by something else (a spinner) sets reservesSymbol.
struct TavlenButtonLabel
{
    QString title;
    QString symbolName;
    bool reservesSymbol = false;

    bool hasSymbol() const { return reservesSymbol || !symbolName.isEmpty(); }
};

// The size a styled button asks for: the padded label's width (a square for icon buttons) and the style's height.
QSize tavlenButtonSize(TavlenButtonStyle style, const TavlenButtonLabel& label, const QFont& baseFont);

// Paints the capsule, its layers and the label into frame; returns where the symbol went (empty without one).
QRect paintTavlenButton(QPainter& painter,
                        const QRect& frame,
                        TavlenButtonStyle style,
                        const TavlenButtonAppearance& look,
                        const TavlenButtonLabel& label,
                        const QFont& baseFont);

} // namespace tavlen::ui
