#include "TavlenButtonStyle.h"

#include <gtest/gtest.h>

#include <optional>

namespace tavlen::ui {
namespace {

using Variant = TavlenButtonStyle::Variant;
using Size = TavlenButtonStyle::Size;

const TavlenButtonColors colors{Qt::black, Qt::gray, Qt::white, Qt::blue, Qt::red, Qt::cyan};

QColor at(QColor color, double opacity)
{
    color.setAlphaF(static_cast<float>(opacity));
    return color;
}

TEST(TavlenButtonStyleTest, appearanceFollowsTheState)
{
    struct Row
    {
        const char* name;
        Variant variant;
        TavlenButtonState state;
        bool prominent;
        QColor foreground;
        QColor fill;
        std::optional<QColor> tint;
        std::optional<QColor> border;
        bool focusRing;
    };

    using C = Contrast;
    using R = ButtonRole;
    const std::optional<QColor> none;
    const Row rows[] = {
        {"idle icon has no fill", Variant::icon, {}, false, Qt::black, at(Qt::black, 0), none, none, false},
        {"hovered icon", Variant::icon, {.hovered = true}, false, Qt::black, at(Qt::black, 0.11), none, none, false},
        {"pressed icon",
         Variant::icon,
         {.pressed = true, .hovered = true},
         false,
         Qt::black,
         at(Qt::black, 0.18),
         none,
         none,
         false},
        {"idle standard", Variant::standard, {}, false, Qt::black, at(Qt::black, 0.07), none, none, false},
        {"disabled standard ignores hover, press and focus",
         Variant::standard,
         {.enabled = false, .pressed = true, .hovered = true, .focused = true},
         false,
         Qt::gray,
         at(Qt::black, 0.05),
         none,
         none,
         false},
        {"disabled icon has no fill",
         Variant::icon,
         {.enabled = false, .hovered = true},
         false,
         Qt::gray,
         at(Qt::black, 0),
         none,
         none,
         false},
        {"focused and hovered standard",
         Variant::standard,
         {.hovered = true, .focused = true},
         false,
         Qt::black,
         at(Qt::black, 0.11),
         none,
         none,
         true},
        {"focused and pressed standard",
         Variant::standard,
         {.pressed = true, .focused = true},
         false,
         Qt::black,
         at(Qt::black, 0.18),
         none,
         none,
         true},
        {"destructive standard in red",
         Variant::standard,
         {.role = R::destructive},
         false,
         Qt::red,
         at(Qt::black, 0.07),
         none,
         none,
         false},
        {"prominent primary on the accent", Variant::primary, {}, true, Qt::white, Qt::blue, none, none, false},
        {"prominent primary ignores destructive role",
         Variant::primary,
         {.role = R::destructive},
         true,
         Qt::white,
         Qt::blue,
         none,
         none,
         false},
        {"pressed primary darkens",
         Variant::primary,
         {.pressed = true, .hovered = true},
         true,
         Qt::white,
         Qt::blue,
         at(Qt::black, 0.16),
         none,
         false},
        {"hovered primary lightens",
         Variant::primary,
         {.hovered = true},
         true,
         Qt::white,
         Qt::blue,
         at(Qt::white, 0.10),
         none,
         false},
        {"primary in an inactive window looks standard",
         Variant::primary,
         {.windowActive = false},
         false,
         Qt::black,
         at(Qt::black, 0.07),
         none,
         none,
         false},
        {"inactive destructive primary in red",
         Variant::primary,
         {.windowActive = false, .role = R::destructive},
         false,
         Qt::red,
         at(Qt::black, 0.07),
         none,
         none,
         false},
        {"disabled primary looks disabled standard",
         Variant::primary,
         {.enabled = false},
         false,
         Qt::gray,
         at(Qt::black, 0.05),
         none,
         none,
         false},
        {"increased contrast borders a standard button",
         Variant::standard,
         {.contrast = C::increased},
         false,
         Qt::black,
         at(Qt::black, 0.07),
         none,
         at(Qt::black, 0.45),
         false},
        {"increased contrast keeps a faint border when disabled",
         Variant::primary,
         {.enabled = false, .contrast = C::increased},
         false,
         Qt::gray,
         at(Qt::black, 0.05),
         none,
         at(Qt::gray, 0.2),
         false},
        {"increased contrast borders an icon only while hovered",
         Variant::icon,
         {.hovered = true, .contrast = C::increased},
         false,
         Qt::black,
         at(Qt::black, 0.11),
         none,
         at(Qt::black, 0.45),
         false},
        {"idle icon has no border even with contrast",
         Variant::icon,
         {.contrast = C::increased},
         false,
         Qt::black,
         at(Qt::black, 0),
         none,
         none,
         false},
        {"disabled icon has no border",
         Variant::icon,
         {.enabled = false, .hovered = true, .contrast = C::increased},
         false,
         Qt::gray,
         at(Qt::black, 0),
         none,
         none,
         false},
        {"prominent border in the label colour",
         Variant::primary,
         {.contrast = C::increased},
         true,
         Qt::white,
         Qt::blue,
         none,
         at(Qt::white, 0.45),
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const TavlenButtonAppearance look = tavlenButtonAppearance({row.variant, Size::regular}, row.state, colors);
        EXPECT_EQ(look.prominent, row.prominent);
        EXPECT_EQ(look.foreground, row.foreground);
        EXPECT_EQ(look.fill, row.fill);
        EXPECT_EQ(look.tint, row.tint);
        EXPECT_EQ(look.border, row.border);
        EXPECT_EQ(look.focusRing.has_value(), row.focusRing);
    }
}

TEST(TavlenButtonStyleTest, metricsBySizeAndVariant)
{
    const TavlenButtonMetrics compactIcon = tavlenButtonMetrics({Variant::icon, Size::compact});
    EXPECT_EQ(compactIcon.height, 24);
    EXPECT_TRUE(compactIcon.square);
    EXPECT_EQ(compactIcon.horizontalPadding, 0);
    const TavlenButtonMetrics regularStandard = tavlenButtonMetrics({Variant::standard, Size::regular});
    EXPECT_EQ(regularStandard.height, 28);
    EXPECT_EQ(regularStandard.horizontalPadding, 10);
    EXPECT_EQ(regularStandard.fontPixelSize, 13);
    EXPECT_EQ(tavlenButtonMetrics({Variant::primary, Size::compact}).fontPixelSize, 12);
}

TEST(TavlenButtonStyleTest, blendRunsFromOneLookToTheOther)
{
    const TavlenButtonAppearance idle = tavlenButtonAppearance({Variant::icon, Size::compact}, {}, colors);
    const TavlenButtonAppearance hovered =
        tavlenButtonAppearance({Variant::icon, Size::compact}, {.hovered = true}, colors);
    EXPECT_EQ(blendAppearance(idle, hovered, 0), idle);
    EXPECT_EQ(blendAppearance(idle, hovered, 1), hovered);
    EXPECT_NEAR(blendAppearance(idle, hovered, 0.5).fill.alphaF(), 0.055, 0.01);
}

} // namespace
} // namespace tavlen::ui
