#pragma once

#include <QPainterPath>
#include <QRectF>

namespace tavlen::ui {

// The steps diagram's column: cards at a fixed width inside paddings, with a drop slot row before every card and
// after the last one, and connectors from a Read step's source card to its header in the leading padding.
namespace stepsDiagram {

inline constexpr double leadingPadding = 40;
inline constexpr double trailingPadding = 16;
inline constexpr double bottomPadding = 16;
// Every slot row has this height, highlighted or not, so lighting a slot changes no layout.
inline constexpr double slotRowHeight = 16;
inline constexpr double highlightedSlotHeight = 3;
inline constexpr double plainSlotHeight = 1;
// Connectors run down this x and turn with corners of this radius.
inline constexpr double connectorX = 17;
inline constexpr double connectorRadius = 8;

} // namespace stepsDiagram

// The cards' width for an available width: what is left after the paddings, never below 0.
double stepsColumnWidth(double availableWidth);

// The filled part of a slot row: full width, 3 high when highlighted else 1, centred vertically.
QRectF stepsDropSlotFill(const QRectF& row, bool highlighted);

// From the middle of the source card's leading edge left to x = 17, down (or up) to the header's middle and right
// to the card's leading edge, with both turns rounded at radius 8.
QPainterPath stepsConnectorPath(const QRectF& sourceCard, const QRectF& card, const QRectF& header);

} // namespace tavlen::ui
