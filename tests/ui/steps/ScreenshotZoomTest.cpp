#include "ScreenshotZoom.h"

#include <gtest/gtest.h>

namespace tavlen::ui {
namespace {

using Action = StepsZoomRequest::Action;

TEST(ScreenshotZoomTest, zoomActionsStepWithinTheLimits)
{
    struct Row
    {
        const char* name;
        Action action;
        double current;
        double viewportWidth;
        double imageWidth;
        ZoomOutcome expected;
    };

    const Row rows[] = {
        {"fit fills the width", Action::fit, 1, 800, 2560, {0.3125, true}},
        {"fit of a narrow image stops at 8", Action::fit, 1, 800, 50, {8, true}},
        {"fit of a huge image stops at the minimum", Action::fit, 1, 100, 1e6, {0.005, true}},
        {"fit within the tolerance keeps the magnification", Action::fit, 0.31255, 800, 2560, {0.31255, true}},
        {"fit without a viewport keeps the magnification", Action::fit, 2, 0, 2560, {2, true}},
        {"actual size is exactly 1", Action::actual, 0.3125, 800, 2560, {1, false}},
        {"zoom in steps by 1.25", Action::zoomIn, 2, 800, 2560, {2.5, false}},
        {"zoom in stops at 8", Action::zoomIn, 7, 800, 2560, {8, false}},
        {"zoom in at 8 stays at 8", Action::zoomIn, 8, 800, 2560, {8, false}},
        {"zoom out steps by 1.25", Action::zoomOut, 1, 800, 2560, {0.8, false}},
        {"zoom out at the minimum stays there", Action::zoomOut, 0.005, 800, 2560, {0.005, false}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ZoomOutcome outcome = zoomOutcome(row.action, row.current, row.viewportWidth, row.imageWidth);
        EXPECT_DOUBLE_EQ(outcome.magnification, row.expected.magnification);
        EXPECT_EQ(outcome.fitsWidth, row.expected.fitsWidth);
    }
}

TEST(ScreenshotZoomTest, layoutRefitsOnlyWhileFittingAndOnlyForRealWidthChanges)
{
    EXPECT_TRUE(layoutRefits(true, 800, 0));
    EXPECT_TRUE(layoutRefits(true, 800.6, 800));
    EXPECT_FALSE(layoutRefits(true, 800.5, 800));
    EXPECT_FALSE(layoutRefits(false, 400, 800));
}

TEST(ScreenshotZoomTest, aNarrowImageIsCentredAndAWideOneFollowsTheScroll)
{
    struct Row
    {
        const char* name;
        QSizeF image;
        double magnification;
        QPointF scroll;
        QPointF expected;
    };

    const Row rows[] = {
        {"narrow at 8", {50, 1000}, 8, {0, 30}, {200, -30}},
        {"exactly as wide", {400, 1000}, 2, {0, 0}, {0, 0}},
        {"wider follows the scroll", {2560, 32000}, 1, {100, 2000}, {-100, -2000}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(imageOriginInViewport({800, 600}, row.image, row.magnification, row.scroll), row.expected);
    }
}

TEST(ScreenshotZoomTest, zoomingAboutAnAnchorKeepsTheImagePointUnderIt)
{
    const QSizeF viewport(800, 600);
    const QSizeF image(2560, 32000);
    // Image point (500, 1000) lies under (100, 200) at magnification 1 with scroll (400, 800).
    QPointF scroll = scrollKeepingAnchor(viewport, image, 1, 2, {400, 800}, {100, 200});
    EXPECT_EQ(scroll, QPointF(900, 1800));
    // Near the top-left corner the clamp wins.
    EXPECT_EQ(scrollKeepingAnchor(viewport, image, 1, 0.5, {10, 10}, {400, 300}), QPointF(0, 0));
    // At the bottom-right corner zooming out cannot scroll past the end.
    QPointF end(maximumScroll(800, 2560, 1), maximumScroll(600, 32000, 1));
    QPointF out = scrollKeepingAnchor(viewport, image, 1, 0.5, end, {800, 600});
    EXPECT_EQ(out, QPointF(maximumScroll(800, 2560, 0.5), maximumScroll(600, 32000, 0.5)));
}

TEST(ScreenshotZoomTest, revealingMovesAsLittleAsPossible)
{
    const QSizeF viewport(800, 600);
    const QSizeF image(2560, 32000);

    struct Row
    {
        const char* name;
        QPointF scroll;
        BrowserRect rect;
        QPointF expected;
    };

    const Row rows[] = {
        {"already visible", {0, 0}, {10, 10, 100, 100}, {0, 0}},
        {"below the view", {0, 0}, {10, 1000, 100, 100}, {0, 500}},
        {"above the view", {0, 5000}, {10, 1000, 100, 100}, {0, 1000}},
        {"taller than the view shows its top", {0, 0}, {10, 1000, 100, 2000}, {0, 1000}},
        {"near the end is clamped", {0, 0}, {2500, 31990, 100, 100}, {1760, 31400}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(scrollRevealing(viewport, image, 1, row.scroll, row.rect), row.expected);
    }
}

TEST(ScreenshotZoomTest, focusRectangleIsTheSelectedRegionClampedAndGrown)
{
    const Uuid first = Uuid::random();
    const Uuid second = Uuid::random();
    const std::vector<StepsRegionOverlay> regions = {
        {first, 1, StepKind::read, {100, 200, 50, 60}},
        {second, 2, StepKind::read, {-10, -10, 30, 30}},
        {first, 3, StepKind::read, {0, 0, 5, 5}},
    };
    const QSizeF image(1000, 2000);

    struct Row
    {
        const char* name;
        std::vector<StepsRegionOverlay> regions;
        std::optional<Uuid> selected;
        std::optional<BrowserRect> expected;
    };

    const Row rows[] = {
        {"first match in list order", regions, first, BrowserRect{80, 180, 90, 100}},
        {"clamped before growing", regions, second, BrowserRect{-20, -20, 60, 60}},
        {"no selection", regions, std::nullopt, std::nullopt},
        {"no matching region", regions, Uuid::random(), std::nullopt},
        {"wholly outside", {{first, 1, StepKind::read, {1200, 10, 50, 50}}}, first, std::nullopt},
        {"thinner than a pixel", {{first, 1, StepKind::read, {10, 10, 0.5, 50}}}, first, std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(focusRectangle(row.regions, row.selected, image), row.expected);
    }
}

TEST(ScreenshotZoomTest, wheelHandsOffOnlyAtTheEndItTurnsTowards)
{
    struct Row
    {
        const char* name;
        double deltaY;
        double top;
        double bottom;
        double imageHeight;
        bool expected;
    };

    const Row rows[] = {
        {"up at the top", 120, 0, 600, 10000, true},
        {"up in the middle", 120, 10, 610, 10000, false},
        {"down at the bottom", -120, 9400, 10000, 10000, true},
        {"down in the middle", -120, 9000, 9600, 10000, false},
        {"down at the top", -120, 0, 600, 10000, false},
        {"horizontal only", 0, 0, 10000, 10000, false},
        {"down on an image shorter than the view", -3, 0, 800, 700, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(wheelHandsOff(row.deltaY, row.top, row.bottom, row.imageHeight), row.expected);
    }
}

TEST(ScreenshotZoomTest, onScreenSizesDivideByTheMagnificationButNotBelowItsMinimum)
{
    EXPECT_DOUBLE_EQ(imagePixelsForPoints(7, 2), 3.5);
    EXPECT_DOUBLE_EQ(imagePixelsForPoints(7, 0.25), 28);
    EXPECT_DOUBLE_EQ(imagePixelsForPoints(1, 0.001), 200);
}

TEST(ScreenshotZoomTest, regionOverlaysCompareByEveryFieldAndOrder)
{
    const Uuid id = Uuid::random();
    const StepsRegionOverlay a{id, 1, StepKind::read, {1, 2, 3, 4}};
    StepsRegionOverlay moved = a;
    moved.rect.x = 1.0000001;
    StepsRegionOverlay renumbered = a;
    renumbered.number = 2;
    StepsRegionOverlay otherKind = a;
    otherKind.kind = StepKind::openPage;
    const StepsRegionOverlay b{Uuid::random(), 2, StepKind::read, {5, 6, 7, 8}};
    const std::vector<StepsRegionOverlay> list = {a, b};
    EXPECT_TRUE(regionOverlaysEqual({}, {}));
    EXPECT_TRUE(regionOverlaysEqual(list, list));
    EXPECT_TRUE(regionOverlaysEqual(list, {a, b}));
    EXPECT_FALSE(regionOverlaysEqual(list, {b, a}));
    EXPECT_FALSE(regionOverlaysEqual(list, {a}));
    EXPECT_FALSE(regionOverlaysEqual({a}, {moved}));
    EXPECT_FALSE(regionOverlaysEqual({a}, {renumbered}));
    EXPECT_FALSE(regionOverlaysEqual({a}, {otherKind}));
}

} // namespace
} // namespace tavlen::ui
