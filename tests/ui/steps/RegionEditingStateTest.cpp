#include "RegionEditingState.h"

#include <gtest/gtest.h>

namespace tavlen::ui {
namespace {

using Mode = RegionEditingState::Mode;

class RegionEditingStateTest : public testing::Test
{
protected:
    RegionEditingStateTest()
    {
        state.setImageSize({1000, 800});
        state.setRegions({
            {lower, 1, StepKind::read, {100, 100, 200, 100}},
            {upper, 2, StepKind::read, {250, 150, 100, 100}},
            {outside, 3, StepKind::read, {1200, 100, 50, 50}},
        });
    }

    const Uuid lower = Uuid::random();
    const Uuid upper = Uuid::random();
    const Uuid outside = Uuid::random();
    RegionEditingState state;
};

TEST_F(RegionEditingStateTest, pressesSelectTheTopmostRegionOrBeginARectangle)
{
    struct Row
    {
        const char* name;
        std::optional<Uuid> selected;
        QPointF point;
        RegionEditingState::PressReport report;
        Mode mode;
    };

    const Row rows[] = {
        {"inside one region", std::nullopt, {120, 120}, std::optional<Uuid>(lower), Mode::move},
        {"inside both selects the later", std::nullopt, {270, 170}, std::optional<Uuid>(upper), Mode::move},
        {"selected region's body wins over a later one", lower, {270, 170}, std::nullopt, Mode::move},
        {"selected region's handle wins over a later body", lower, {300, 200}, std::nullopt, Mode::resize},
        {"empty image begins a rectangle", std::nullopt, {600, 600}, std::optional<Uuid>(), Mode::create},
        {"a selection naming no region falls back to hits",
         Uuid::random(),
         {120, 120},
         std::optional<Uuid>(lower),
         Mode::move},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        state.setSelectedID(row.selected);
        EXPECT_EQ(state.press(row.point, 1), row.report);
        EXPECT_EQ(state.mode(), row.mode);
        state.discardGesture();
    }
}

TEST_F(RegionEditingStateTest, overlappingHandlesOfTwoRegionsGoToTheSelectedOne)
{
    // The upper region's top-left handle sits at (250, 150), inside the lower region's reach of nothing else; make
    // the lower one share that corner so both have a handle there.
    state.setRegions({
        {lower, 1, StepKind::read, {100, 100, 150, 50}},
        {upper, 2, StepKind::read, {250, 150, 100, 100}},
    });
    state.setSelectedID(lower);
    EXPECT_EQ(state.press({251, 151}, 1), RegionEditingState::PressReport());
    EXPECT_EQ(state.resizeHandle(), (HandleDirection{1, 1}));
    ASSERT_TRUE(state.drag({260, 170}));
    std::optional<RegionCommit> commit = state.release();
    ASSERT_TRUE(commit);
    EXPECT_EQ(*commit, (RegionCommit{{100, 100, 160, 70}, lower}));
}

TEST_F(RegionEditingStateTest, dragsCommitTheClampedRectangleOfTheirRegion)
{
    struct Row
    {
        const char* name;
        std::optional<Uuid> selected;
        std::optional<BrowserRect> selection;
        QPointF press;
        QPointF to;
        std::optional<RegionCommit> expected;
    };

    const Row rows[] = {
        {"create", std::nullopt, std::nullopt, {600, 500}, {500, 450}, RegionCommit{{500, 450, 100, 50}, std::nullopt}},
        {"create past the image edge is cut",
         std::nullopt,
         std::nullopt,
         {900, 700},
         {1000, 800},
         RegionCommit{{900, 700, 100, 100}, std::nullopt}},
        {"a half-pixel-high rectangle commits nothing",
         std::nullopt,
         std::nullopt,
         {600, 500},
         {700, 500.5},
         std::nullopt},
        {"a zero-size drag commits nothing", std::nullopt, std::nullopt, {600, 500}, {600, 500}, std::nullopt},
        {"move an unselected region",
         std::nullopt,
         std::nullopt,
         {120, 120},
         {140, 100},
         RegionCommit{{120, 80, 200, 100}, lower}},
        {"move stops at the edge", lower, std::nullopt, {120, 120}, {0, 0}, RegionCommit{{0, 0, 200, 100}, lower}},
        {"resize the selected region",
         upper,
         std::nullopt,
         {350, 250},
         {400, 300},
         RegionCommit{{250, 150, 150, 150}, upper}},
        {"move the free selection",
         std::nullopt,
         BrowserRect{500, 500, 50, 50},
         {520, 520},
         {530, 540},
         RegionCommit{{510, 520, 50, 50}, std::nullopt}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        state.setSelectedID(row.selected);
        state.setSelection(row.selection);
        state.press(row.press, 1);
        state.drag(row.to);
        EXPECT_EQ(state.release(), row.expected);
        EXPECT_FALSE(state.hasGesture());
        EXPECT_FALSE(state.workingRect());
    }
}

TEST_F(RegionEditingStateTest, aClickWithoutDragAndADiscardedGestureCommitNothing)
{
    state.press({120, 120}, 1);
    EXPECT_FALSE(state.release());

    state.press({600, 500}, 1);
    state.drag({700, 600});
    EXPECT_TRUE(state.discardGesture());
    EXPECT_FALSE(state.drag({710, 610}));
    EXPECT_FALSE(state.release());
    EXPECT_FALSE(state.discardGesture());
}

TEST_F(RegionEditingStateTest, aRegionWhollyOutsideTheImageIsNeitherDrawnNorHit)
{
    state.setRegions({{outside, 3, StepKind::read, {1200, 100, 50, 50}}});
    EXPECT_TRUE(state.displayedRegions().empty());
    // Points are kept on the image, so a press can only reach the image's edge: the region is never hit.
    EXPECT_EQ(state.press({1000, 120}, 1), RegionEditingState::PressReport(std::optional<Uuid>()));
}

TEST_F(RegionEditingStateTest, displayedRegionsFollowTheGesture)
{
    state.setRegions({
        {lower, 1, StepKind::read, {100, 100, 200, 100}},
        {upper, 2, StepKind::openPage, {-50, 150, 100, 100}},
        {outside, 3, StepKind::read, {1200, 100, 50, 50}},
    });
    state.setSelectedID(lower);
    state.setSelection(BrowserRect{5, 5, 10, 10});
    EXPECT_EQ(state.displayedRegions(),
              (std::vector<DisplayedRegion>{
                  {{100, 100, 200, 100}, 1, StepKind::read, true},
                  {{0, 150, 50, 100}, 2, StepKind::openPage, false},
              }));

    // Moving the selected region draws it from the working rectangle, last, with its badge.
    state.press({150, 150}, 1);
    state.drag({160, 170});
    EXPECT_EQ(state.displayedRegions(),
              (std::vector<DisplayedRegion>{
                  {{0, 150, 50, 100}, 2, StepKind::openPage, false},
                  {{110, 120, 200, 100}, 1, StepKind::read, true},
              }));
    state.discardGesture();

    // Without a selected region the free selection is drawn, selected and without a badge.
    state.setSelectedID(std::nullopt);
    std::vector<DisplayedRegion> shown = state.displayedRegions();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown.back(), (DisplayedRegion{{5, 5, 10, 10}, std::nullopt, std::nullopt, true}));
}

} // namespace
} // namespace tavlen::ui
