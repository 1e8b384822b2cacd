#pragma once

#include "ChartNumericDomain.h"
#include "ChartNumericSegment.h"
#include "ChartReading.h"
#include "ChartTimeScale.h"
#include "Uuid.h"

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>

#include <optional>
#include <vector>

class QPainter;

namespace tavlen::ui {

// Where the number lane puts a reading: x by the time scale, y linear over the domain from the plot's bottom to
// its top (the plot's middle for an empty domain).
struct ChartNumberLaneGeometry
{
    ChartTimeScale scale;
    QRectF plot;
    ChartNumericDomain domain;

    double y(double value) const;
    QPointF at(std::int64_t milliseconds, double value) const;
};

// The line through a segment's points in order and the top of the area below it, in the painter's device pixels.
// Of a run of points in one device pixel column the line keeps only the first, the lowest, the highest and the
// last (in their order), which covers the pixels of the full line, and the top runs level at the highest across
// the column; a column of one point keeps it as it is. Their cost is bounded by the plot's width.
struct ChartLaneOutlines
{
    QPainterPath line;
    QPainterPath top;
};

ChartLaneOutlines
numberLaneOutlines(const ChartNumbers& points, const ChartNumberLaneGeometry& geometry, double pixelRatio);

// The shaded areas, lines and dots of a drawing: the lane's marks below the hover. The caller clips to the plot.
// Safe on any thread on a QImage.
void paintNumberLaneMarks(QPainter& painter,
                          const ChartNumberLaneGeometry& geometry,
                          const std::vector<ChartNumericSegment>& segments,
                          const std::vector<ChartReading>& points,
                          const QColor& accent);

// What an image of the marks was drawn for: a lane draws them again when any of it changes.
struct ChartNumberMarksKey
{
    int drawing = -1;                // the lane's count of stored drawings
    std::optional<Uuid> hoverOnLine; // the hovered reading, when it was put back on a thinned line
    QRectF plot;
    double pixelRatio = 0;
    QRgb accent = 0;

    friend bool operator==(const ChartNumberMarksKey&, const ChartNumberMarksKey&) = default;
};

// The marks in an image over the plot out to whole device pixels, so copying it at origin() puts every mark
// where painting it directly would; null until drawn.
struct ChartNumberMarksImage
{
    ChartNumberMarksKey key;
    QImage image;

    QPointF origin() const;
};

// Draws the marks of the segments and dots for the key (its plot, pixel ratio and accent colour). Any thread.
ChartNumberMarksImage drawNumberLaneMarks(const ChartNumberMarksKey& key,
                                          const ChartNumberLaneGeometry& geometry,
                                          const std::vector<ChartNumericSegment>& segments,
                                          const std::vector<ChartReading>& points);

} // namespace tavlen::ui
