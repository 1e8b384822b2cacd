#pragma once

#include "ChartTextInterval.h"
#include "ChartTimeScale.h"

#include <QPointF>
#include <QRectF>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace tavlen::ui {

// One bar of the text lane and its rectangle in the lane's coordinates (origin top left, y downwards).
struct ChartTextBlock
{
    ChartTextInterval interval;
    QRectF rect;
};

// A bar 20 points high centred on the plot's middle, from its start to its end, unclamped; an interval whose start
// or end has no position gets no block.
std::vector<ChartTextBlock>
makeChartTextBlocks(const std::vector<ChartTextInterval>& intervals, const ChartTimeScale& scale, double plotMidY);

// A hovered bar grows 8 points upwards: the rectangle it is drawn in, hit in and pointed at by its tooltip.
QRectF raisedChartTextRect(const QRectF& rect);

// The x of each block that starts exactly where the one before it ends, when both are at least 6 points wide.
std::vector<double> chartTextSeparatorPositions(const std::vector<ChartTextBlock>& blocks);

// The index of the block under the point: the first block ending right of x, when x is not left of it and y lies
// in its (for the selected interval raised) rectangle; none otherwise, also in the gap before a later block that
// overlaps it.
std::optional<std::size_t>
chartTextBlockAt(const std::vector<ChartTextBlock>& blocks, QPointF point, const std::optional<Uuid>& selectedID);

// The interval's text on one line: every line break, tab and paragraph separator becomes a space; "Empty text" for
// an empty text.
QString chartTextLabelText(const std::string& text);

// The width a text takes when drawn.
using ChartTextMeasure = std::function<double(const QString&)>;

// The whole text when it fits maxWidth, else its longest prefix followed by "..." that fits, else nothing.
std::optional<QString> fittedChartLabel(const QString& text, double maxWidth, const ChartTextMeasure& measure);

} // namespace tavlen::ui
