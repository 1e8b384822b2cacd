#pragma once

#include <QColor>

class QPalette;

namespace tavlen::ui {

// The few fixed colours views name; each has a light and a dark shade.
enum class KitColor
{
    red,
    orange,
    green
};

// Dark appearance: the window colour's lightness below 50 %.
bool isDarkAppearance(const QPalette& palette);

QColor kitColor(KitColor color, const QPalette& palette);
// The accent: the palette's highlight.
QColor accentColor(const QPalette& palette);
// Text and symbols of the appearance.
QColor primaryColor(const QPalette& palette);
// Less prominent text (captions, placeholders, hints).
QColor secondaryColor(const QPalette& palette);
// Text of a control that cannot be used.
QColor disabledTextColor(const QPalette& palette);
// Text drawn on the accent.
QColor onAccentColor(const QPalette& palette);
// The keyboard focus ring.
QColor focusRingColor(const QPalette& palette);

// The colour with its alpha multiplied by opacity (0…1).
QColor withOpacity(QColor color, double opacity);

} // namespace tavlen::ui
