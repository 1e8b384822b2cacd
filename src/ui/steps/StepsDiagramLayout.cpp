#include "StepsDiagramLayout.h"

#include <QLineF>

#include <algorithm>
#include <cmath>

namespace tavlen::ui {

namespace {

// Bézier handle length of a quarter circle, as a fraction of its radius.
constexpr double quarterCircleHandle = 0.5522847498;

QPointF unit(QPointF from, QPointF to)
{
    const double length = QLineF(from, to).length();
    return length == 0 ? QPointF() : (to - from) / length;
}

// A line towards the corner, then an arc of the radius tangent to both lines (from the current point to the
// corner, and from the corner to next). Without a turn the line simply reaches the corner.
void addTangentArc(QPainterPath& path, QPointF corner, QPointF next, double radius)
{
    const QPointF incoming = unit(path.currentPosition(), corner);
    const QPointF outgoing = unit(corner, next);
    const double turn = incoming.x() * outgoing.y() - incoming.y() * outgoing.x();
    if (incoming.isNull() || outgoing.isNull() || std::abs(turn) < 1e-9) {
        path.lineTo(corner);
        return;
    }
    // The corners of a connector are right angles; the handle places a quarter circle exactly.
    const QPointF enter = corner - incoming * radius;
    const QPointF leave = corner + outgoing * radius;
    const double handle = radius * quarterCircleHandle;
    path.lineTo(enter);
    path.cubicTo(enter + incoming * handle, leave - outgoing * handle, leave);
}

} // namespace

double stepsColumnWidth(double availableWidth)
{
    return std::max(availableWidth - stepsDiagram::leadingPadding - stepsDiagram::trailingPadding, 0.0);
}

QRectF stepsDropSlotFill(const QRectF& row, bool highlighted)
{
    const double height = highlighted ? stepsDiagram::highlightedSlotHeight : stepsDiagram::plainSlotHeight;
    return {row.left(), row.center().y() - height / 2, row.width(), height};
}

QPainterPath stepsConnectorPath(const QRectF& sourceCard, const QRectF& card, const QRectF& header)
{
    const double x = stepsDiagram::connectorX;
    const double y = header.center().y();
    QPainterPath path(QPointF(sourceCard.left(), sourceCard.center().y()));
    addTangentArc(path, {x, sourceCard.center().y()}, {x, y}, stepsDiagram::connectorRadius);
    addTangentArc(path, {x, y}, {card.left(), y}, stepsDiagram::connectorRadius);
    path.lineTo(card.left(), y);
    return path;
}

} // namespace tavlen::ui
