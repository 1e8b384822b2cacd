#include "StepsDiagramLayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace tavlen::ui::test {
namespace {

TEST(StepsDiagramLayoutTest, columnWidth_leavesThePaddingsAndNeverGoesNegative)
{
    const std::pair<double, double> rows[] = {{800, 744}, {57, 1}, {56, 0}, {55, 0}, {0, 0}};
    for (const auto& [available, width] : rows) {
        SCOPED_TRACE(available);
        EXPECT_EQ(stepsColumnWidth(available), width);
    }
}

TEST(StepsDiagramLayoutTest, dropSlot_fillsThreeOrOnePointAcrossTheRowsMiddle)
{
    const QRectF row(40, 100, 300, stepsDiagram::slotRowHeight);
    EXPECT_EQ(stepsDropSlotFill(row, true), QRectF(40, 106.5, 300, 3));
    EXPECT_EQ(stepsDropSlotFill(row, false), QRectF(40, 107.5, 300, 1));
}

// The points where the path's segments end, in order.
std::vector<QPointF> segmentEnds(const QPainterPath& path)
{
    std::vector<QPointF> ends;
    for (int index = 0; index < path.elementCount(); ++index) {
        const QPainterPath::Element element = path.elementAt(index);
        const bool endsSegment =
            element.type == QPainterPath::MoveToElement || element.type == QPainterPath::LineToElement ||
            (element.type == QPainterPath::CurveToDataElement &&
             (index + 1 == path.elementCount() || path.elementAt(index + 1).type != QPainterPath::CurveToDataElement));
        if (endsSegment) {
            ends.emplace_back(element.x, element.y);
        }
    }
    return ends;
}

TEST(StepsDiagramLayoutTest, connector_runsFromTheSourcesEdgeAlongTheGutterToTheHeadersMiddle)
{
    const QRectF source(40, 16, 400, 300);
    const QRectF card(40, 390, 400, 200);
    const QRectF header(54, 404, 372, 22);

    const QPainterPath path = stepsConnectorPath(source, card, header);

    const std::vector<QPointF> expected{
        {40, 166},
        {25, 166},
        {17, 174},
        {17, 407},
        {25, 415},
        {40, 415},
    };
    EXPECT_EQ(segmentEnds(path), expected);
    // The turns are quarter circles of radius 8 about (25, 174) and (25, 407): their middles lie on them.
    const std::pair<double, QPointF> turns[] = {{0.0, QPointF(25, 174)}, {1.0, QPointF(25, 407)}};
    for (const auto& [which, centre] : turns) {
        const QPointF middle = which == 0
                                   ? path.pointAtPercent(path.percentAtLength(15 + 8 * M_PI / 4))
                                   : path.pointAtPercent(path.percentAtLength(15 + 8 * M_PI / 2 + 233 + 8 * M_PI / 4));
        EXPECT_NEAR(QLineF(middle, centre).length(), 8, 0.05);
    }
    EXPECT_EQ(path.boundingRect().left(), 17);
}

TEST(StepsDiagramLayoutTest, connector_withoutVerticalRunHasNoTurn)
{
    const QRectF source(40, 0, 400, 100);
    const QPainterPath path = stepsConnectorPath(source, QRectF(40, 40, 400, 20), QRectF(40, 40, 400, 20));
    EXPECT_EQ(segmentEnds(path), (std::vector<QPointF>{{40, 50}, {17, 50}, {40, 50}}));
}

} // namespace
} // namespace tavlen::ui::test
