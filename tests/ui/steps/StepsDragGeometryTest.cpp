#include "StepsDragGeometry.h"

#include "StepsDraftFixture.h"

#include <gtest/gtest.h>

namespace tavlen::ui::test {
namespace {

// Four steps (the page and three reads) whose headers are 20 high at y = 100·i, from x = 40 to 440.
class StepsDragGeometryTest : public testing::Test
{
protected:
    StepsDragGeometryTest()
    {
        for (std::size_t index = 0; index < draft->steps().size(); ++index) {
            frames[draft->steps()[index]->id()] = QRectF(40, 100.0 * double(index), 400, 20);
        }
    }

    Uuid id(std::size_t index) const { return draft->steps().at(index)->id(); }

    std::shared_ptr<StepsDraft> draft = draftWithReads(3);
    StepsHeaderFrames frames;
};

TEST_F(StepsDragGeometryTest, dropBoundary_followsHeaderMiddlesWithinTheHeadersExtent)
{
    struct Row
    {
        const char* name;
        std::size_t dragged;
        QPointF location;
        std::optional<std::int64_t> boundary;
    };

    const Row rows[] = {
        {"above the page's header middle: before the page, refused", 2, {50, 5}, std::nullopt},
        {"exactly on the page's header middle belongs below it", 2, {50, 10}, 1},
        {"between the neighbours' middles: its own place", 2, {50, 150}, 2},
        {"just below its own header middle: the place after it", 2, {50, 250}, 3},
        {"below the last header: after the last card", 2, {50, 900}, 4},
        {"left of the column", 2, {-1, 150}, std::nullopt},
        {"on the column's leading edge", 2, {0, 150}, 2},
        {"on the widest header's right edge", 2, {440, 150}, 2},
        {"right of every header", 2, {440.5, 150}, std::nullopt},
        {"the page step never lands anywhere", 0, {50, 250}, std::nullopt},
        {"the first read moves to the end", 1, {50, 900}, 4},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(stepsDropBoundary(*draft, id(row.dragged), row.location, frames), row.boundary);
    }
}

TEST_F(StepsDragGeometryTest, dropBoundary_skipsStepsWithoutFrames)
{
    frames.erase(id(1));
    EXPECT_EQ(stepsDropBoundary(*draft, id(3), {50, 50}, frames), 2);

    // With no frames at all only x = 0 lies inside, and every step counts as above the pointer.
    EXPECT_EQ(stepsDropBoundary(*draft, id(3), {0, 50}, {}), 4);
    EXPECT_EQ(stepsDropBoundary(*draft, id(3), {1, 50}, {}), std::nullopt);
}

TEST_F(StepsDragGeometryTest, anchorsGiveTheirHeaderFrames)
{
    const StepsAnchors anchors{{StepsAnchor::card(id(1)), QRectF(40, 90, 400, 200)},
                               {StepsAnchor::header(id(1)), QRectF(54, 104, 372, 22)},
                               {StepsAnchor::card(id(2)), QRectF(40, 300, 400, 200)}};
    EXPECT_EQ(stepsHeaderFrames(anchors), (StepsHeaderFrames{{id(1), QRectF(54, 104, 372, 22)}}));
    EXPECT_NE(StepsAnchor::card(id(1)), StepsAnchor::header(id(1)));
}

TEST_F(StepsDragGeometryTest, dropCommit_movesOnlyWhenAllowedAndAlwaysEndsTheDrag)
{
    struct Row
    {
        const char* name;
        std::optional<std::int64_t> boundary;
        bool mayMove;
        std::vector<std::size_t> order;
    };

    const Row rows[] = {
        {"a boundary moves the step", 1, true, {0, 3, 1, 2}},
        {"steps running: nothing moves", 1, false, {0, 1, 2, 3}},
        {"no boundary: nothing moves", std::nullopt, true, {0, 1, 2, 3}},
        {"its own place: nothing moves", 3, true, {0, 1, 2, 3}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        draft = draftWithReads(3);
        const std::vector<Uuid> before = stepIDs(*draft);
        StepsDragState drag{before[3], row.boundary};

        const bool moved = commitStepsDrop(drag, *draft, before[3], row.mayMove);

        std::vector<Uuid> expected;
        for (std::size_t index : row.order) {
            expected.push_back(before[index]);
        }
        EXPECT_EQ(stepIDs(*draft), expected);
        EXPECT_EQ(moved, expected != before);
        EXPECT_EQ(drag, StepsDragState{});
    }
}

TEST_F(StepsDragGeometryTest, dragUpdate_setsTheDraggedStepAndItsBoundary)
{
    StepsDragState drag;
    updateStepsDrag(drag, *draft, id(3), {50, 150}, frames);
    EXPECT_EQ(drag, (StepsDragState{id(3), 2}));
    updateStepsDrag(drag, *draft, id(3), {-5, 150}, frames);
    EXPECT_EQ(drag, (StepsDragState{id(3), std::nullopt}));
}

} // namespace
} // namespace tavlen::ui::test
