#include "KitColors.h"

#include <QPalette>

namespace tavlen::ui {

bool isDarkAppearance(const QPalette& palette)
{
    return palette.color(QPalette::Window).lightnessF() < 0.5;
}

QColor kitColor(KitColor color, const QPalette& palette)
{
    const bool dark = isDarkAppearance(palette);
    switch (color) {
    case KitColor::red:
        return dark ? QColor(0xff, 0x5f, 0x57) : QColor(0xd9, 0x30, 0x25);
    case KitColor::orange:
        return dark ? QColor(0xff, 0xa0, 0x2e) : QColor(0xe8, 0x7b, 0x00);
    case KitColor::green:
        return dark ? QColor(0x3c, 0xd0, 0x6a) : QColor(0x1e, 0x9e, 0x48);
    }
    return {};
}

QColor accentColor(const QPalette& palette)
{
    return palette.color(QPalette::Active, QPalette::Highlight);
}

QColor primaryColor(const QPalette& palette)
{
    return palette.color(QPalette::Active, QPalette::WindowText);
}

QColor secondaryColor(const QPalette& palette)
{
    return withOpacity(primaryColor(palette), 0.55);
}

QColor disabledTextColor(const QPalette& palette)
{
    return withOpacity(primaryColor(palette), 0.3);
}

QColor onAccentColor(const QPalette& palette)
{
    return palette.color(QPalette::Active, QPalette::HighlightedText);
}

QColor focusRingColor(const QPalette& palette)
{
    return withOpacity(accentColor(palette), 0.6);
}

QColor withOpacity(QColor color, double opacity)
{
    color.setAlphaF(static_cast<float>(color.alphaF() * opacity));
    return color;
}

} // namespace tavlen::ui
