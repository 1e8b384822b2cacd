#pragma once

#include <QFont>

namespace tavlen::ui {

// The text styles views name, with their sizes in logical pixels (one point = one pixel).
enum class TextStyle
{
    body,        // 13
    callout,     // 12
    caption,     // 10
    caption2,    // 10, slightly lighter tracking
    headline,    // 13 semibold
    subheadline, // 11
    title2       // 17
};

// The font of a style in the application font's family.
QFont textStyleFont(TextStyle style);
// "The system font of N points" in a weight.
QFont systemFont(double points, QFont::Weight weight = QFont::Normal);

} // namespace tavlen::ui
