#pragma once

#include <QColor>

#include <optional>

class QPalette;

namespace tavlen::ui {

// The one button style of the application: a capsule whose fill, label colour, border and focus ring follow the
// button's state. A value; both fields required.
struct TavlenButtonStyle
{
    enum class Variant
    {
        icon, // a square for a symbol, no side padding
        standard,
        primary // the prominent, accent-filled action
    };
    enum class Size
    {
        regular,
        compact
    };

    Variant variant;
    Size size;

    friend bool operator==(const TavlenButtonStyle&, const TavlenButtonStyle&) = default;
};

enum class ButtonRole
{
    none,
    cancel,
    destructive
};

enum class Contrast
{
    standard,
    increased
};

// Everything the look depends on besides the style.
struct TavlenButtonState
{
    bool enabled = true;
    bool pressed = false;
    bool hovered = false;
    bool focused = false;
    bool windowActive = true;
    Contrast contrast = Contrast::standard;
    ButtonRole role = ButtonRole::none;
};

// The colours the look draws from, taken from a palette (or given directly by tests).
struct TavlenButtonColors
{
    QColor primary;  // foreground of the appearance
    QColor disabled; // disabled control text
    QColor onAccent; // label on the accent fill
    QColor accent;
    QColor destructive; // red
    QColor focusRing;

    static TavlenButtonColors from(const QPalette& palette);
};

// What a button in a state looks like. Colours carry their opacity; a missing layer is nullopt.
struct TavlenButtonAppearance
{
    bool prominent = false;
    QColor foreground;
    double fillOpacity = 0; // of the primary colour; meaningful only when not prominent
    QColor fill;
    std::optional<QColor> tint;      // above the fill: pressed or hovered prominent buttons
    std::optional<QColor> border;    // 1 point, inside the capsule's edge
    std::optional<QColor> focusRing; // 2 points, inside the capsule's edge

    friend bool operator==(const TavlenButtonAppearance&, const TavlenButtonAppearance&) = default;
};

struct TavlenButtonMetrics
{
    int height;            // 28 regular, 24 compact
    int horizontalPadding; // 10 for standard and primary, 0 for icon
    int fontPixelSize;     // 13 regular, 12 compact
    bool square;           // icon: width equals height
    static constexpr int iconTitleSpacing = 6;
};

TavlenButtonAppearance
tavlenButtonAppearance(TavlenButtonStyle style, const TavlenButtonState& state, const TavlenButtonColors& colors);
TavlenButtonMetrics tavlenButtonMetrics(TavlenButtonStyle style);

// The look part way (0…1) between two appearances, for the hover animation.
TavlenButtonAppearance
blendAppearance(const TavlenButtonAppearance& from, const TavlenButtonAppearance& to, double progress);

} // namespace tavlen::ui
