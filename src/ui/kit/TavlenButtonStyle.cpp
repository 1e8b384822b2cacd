#include "TavlenButtonStyle.h"

#include "KitColors.h"

#include <QPalette>

namespace tavlen::ui {

namespace {

double fillOpacity(TavlenButtonStyle::Variant variant, const TavlenButtonState& state)
{
    const bool icon = variant == TavlenButtonStyle::Variant::icon;
    if (!state.enabled) {
        return icon ? 0 : 0.05;
    }
    if (state.pressed) {
        return 0.18;
    }
    if (state.hovered || state.focused) {
        return 0.11;
    }
    return icon ? 0 : 0.07;
}

QColor mix(const QColor& from, const QColor& to, double t)
{
    const auto lerp = [t](float a, float b) { return static_cast<float>(a + (b - a) * t); };
    QColor result;
    result.setRgbF(lerp(from.redF(), to.redF()),
                   lerp(from.greenF(), to.greenF()),
                   lerp(from.blueF(), to.blueF()),
                   lerp(from.alphaF(), to.alphaF()));
    return result;
}

// A missing layer blends as the same colour fully transparent, so it fades rather than jumps.
std::optional<QColor> mixLayer(const std::optional<QColor>& from, const std::optional<QColor>& to, double t)
{
    if (!from && !to) {
        return std::nullopt;
    }
    const QColor a = from.value_or(withOpacity(*to, 0));
    const QColor b = to.value_or(withOpacity(*from, 0));
    return mix(a, b, t);
}

} // namespace

TavlenButtonColors TavlenButtonColors::from(const QPalette& palette)
{
    return {primaryColor(palette),
            disabledTextColor(palette),
            onAccentColor(palette),
            accentColor(palette),
            kitColor(KitColor::red, palette),
            focusRingColor(palette)};
}

TavlenButtonAppearance
tavlenButtonAppearance(TavlenButtonStyle style, const TavlenButtonState& state, const TavlenButtonColors& colors)
{
    using Variant = TavlenButtonStyle::Variant;
    TavlenButtonAppearance look;
    look.prominent = style.variant == Variant::primary && state.enabled && state.windowActive;

    if (!state.enabled) {
        look.foreground = colors.disabled;
    } else if (look.prominent) {
        look.foreground = colors.onAccent;
    } else if (state.role == ButtonRole::destructive) {
        look.foreground = colors.destructive;
    } else {
        look.foreground = colors.primary;
    }

    look.fillOpacity = fillOpacity(style.variant, state);
    look.fill = look.prominent ? colors.accent : withOpacity(colors.primary, look.fillOpacity);
    if (look.prominent && state.pressed) {
        look.tint = withOpacity(Qt::black, 0.16);
    } else if (look.prominent && state.hovered) {
        look.tint = withOpacity(Qt::white, 0.10);
    }

    const bool bordered = style.variant != Variant::icon || (state.enabled && state.hovered);
    if (state.contrast == Contrast::increased && bordered) {
        look.border = withOpacity(look.foreground, state.enabled ? 0.45 : 0.2);
    }
    if (state.focused && state.enabled) {
        look.focusRing = colors.focusRing;
    }
    return look;
}

TavlenButtonMetrics tavlenButtonMetrics(TavlenButtonStyle style)
{
    const bool regular = style.size == TavlenButtonStyle::Size::regular;
    const bool icon = style.variant == TavlenButtonStyle::Variant::icon;
    return {regular ? 28 : 24, icon ? 0 : 10, regular ? 13 : 12, icon};
}

TavlenButtonAppearance
blendAppearance(const TavlenButtonAppearance& from, const TavlenButtonAppearance& to, double progress)
{
    if (progress <= 0) {
        return from;
    }
    if (progress >= 1) {
        return to;
    }
    TavlenButtonAppearance look = to;
    look.foreground = mix(from.foreground, to.foreground, progress);
    look.fillOpacity = from.fillOpacity + (to.fillOpacity - from.fillOpacity) * progress;
    look.fill = mix(from.fill, to.fill, progress);
    look.tint = mixLayer(from.tint, to.tint, progress);
    look.border = mixLayer(from.border, to.border, progress);
    look.focusRing = mixLayer(from.focusRing, to.focusRing, progress);
    return look;
}

} // namespace tavlen::ui
