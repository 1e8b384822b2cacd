#include "RegionGeometry.h"

#include <gtest/gtest.h>

namespace tavlen::ui {
namespace {

const QSizeF image(1000, 800);

TEST(RegionGeometryTest, documentPointsAreKeptOnTheImage)
{
    EXPECT_EQ(imagePointOnImage({-5, 20}, image), QPointF(0, 20));
    EXPECT_EQ(imagePointOnImage({1200, -1}, image), QPointF(1000, 0));
    EXPECT_EQ(imagePointOnImage({12.5, 900}, image), QPointF(12.5, 800));
}

TEST(RegionGeometryTest, resizeMovesOnlyTheHandlesSidesAndTurnsOver)
{
    const BrowserRect original{100, 100, 200, 100};

    struct Row
    {
        const char* name;
        HandleDirection handle;
        QPointF pointer;
        BrowserRect expected;
    };

    const Row rows[] = {
        {"top-left inwards", {-1, -1}, {150, 120}, {150, 120, 150, 80}},
        {"top edge only changes the top", {0, -1}, {999, 50}, {100, 50, 200, 150}},
        {"right edge only changes the right", {1, 0}, {400, 0}, {100, 100, 300, 100}},
        {"bottom-right outwards", {1, 1}, {350, 260}, {100, 100, 250, 160}},
        {"top-left dragged past the bottom-right turns over", {-1, -1}, {350, 260}, {300, 200, 50, 60}},
        {"left edge past the right side turns over", {-1, 0}, {320, 0}, {300, 100, 20, 100}},
        {"onto the opposite corner gives an empty rectangle", {1, 1}, {100, 100}, {100, 100, 0, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(resizedRect(original, row.handle, row.pointer), row.expected);
    }
}

TEST(RegionGeometryTest, moveKeepsTheSizeAndStaysOnTheImage)
{
    struct Row
    {
        const char* name;
        BrowserRect original;
        QPointF pointer;
        BrowserRect expected;
    };

    // Every drag starts at (150, 150).
    const Row rows[] = {
        {"follows the pointer", {100, 100, 200, 100}, {170, 130}, {120, 80, 200, 100}},
        {"stops at the left and top", {100, 100, 200, 100}, {0, 0}, {0, 0, 200, 100}},
        {"stops at the right and bottom", {100, 100, 200, 100}, {1000, 800}, {800, 700, 200, 100}},
        {"wider than the image sits at 0", {0, 100, 1200, 100}, {400, 150}, {0, 100, 1200, 100}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(movedRect(row.original, {150, 150}, row.pointer, image), row.expected);
    }
}

TEST(RegionGeometryTest, createSpansThePressAndThePointerInAnyDirection)
{
    EXPECT_EQ(createdRect({10, 20}, {40, 70}), (BrowserRect{10, 20, 30, 50}));
    EXPECT_EQ(createdRect({40, 70}, {10, 20}), (BrowserRect{10, 20, 30, 50}));
    EXPECT_EQ(createdRect({40, 70}, {40, 70}), (BrowserRect{40, 70, 0, 0}));
}

TEST(RegionGeometryTest, handlesAreHitWithinSevenPointsInHandleOrder)
{
    const BrowserRect rect{100, 100, 200, 100};

    struct Row
    {
        const char* name;
        QPointF point;
        double magnification;
        std::optional<HandleDirection> expected;
    };

    const Row rows[] = {
        {"on the top-left corner", {100, 100}, 1, HandleDirection{-1, -1}},
        {"7 points outside the corner", {93, 93}, 1, HandleDirection{-1, -1}},
        {"just beyond 7 points", {92.9, 100}, 1, std::nullopt},
        {"3.5 pixels at magnification 2", {96.5, 100}, 2, HandleDirection{-1, -1}},
        {"4 pixels at magnification 2 misses", {96, 100}, 2, std::nullopt},
        {"28 pixels at magnification 0.25", {200, 72}, 0.25, HandleDirection{0, -1}},
        {"bottom-middle", {200, 203}, 1, HandleDirection{0, 1}},
        {"inside away from handles", {150, 150}, 1, std::nullopt},
        // On a tiny rectangle every handle is in reach; the first in order wins.
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(handleAt(rect, row.point, row.magnification), row.expected);
    }
    EXPECT_EQ(handleAt({100, 100, 4, 4}, {104, 104}, 1), (HandleDirection{-1, -1}));
}

TEST(RegionGeometryTest, badgeHangsFromTheTopLeftCornerWithItsIconAtTheRight)
{
    BadgeGeometry plain = badgeGeometry({10, 20}, {7, 13}, std::nullopt);
    EXPECT_EQ(plain.badge, QRectF(10, 20, 15, 18));
    EXPECT_EQ(plain.textTopLeft, QPointF(14, 22.5));
    EXPECT_FALSE(plain.icon);

    // A wide icon is fitted into the 12-point slot keeping its aspect; the slot ends 4 points before the edge.
    BadgeGeometry withIcon = badgeGeometry({10, 20}, {14, 16}, QSizeF(24, 12));
    EXPECT_EQ(withIcon.badge, QRectF(10, 20, 14 + 8 + 4 + 12, 20));
    ASSERT_TRUE(withIcon.icon);
    EXPECT_EQ(*withIcon.icon, QRectF(32, 27, 12, 6));
}

TEST(RegionGeometryTest, handleSquaresKeepSevenPointsOnScreen)
{
    EXPECT_EQ(handleSquare({100, 100}, 1), QRectF(96.5, 96.5, 7, 7));
    EXPECT_EQ(handleSquare({100, 100}, 2), QRectF(98.25, 98.25, 3.5, 3.5));
}

} // namespace
} // namespace tavlen::ui
