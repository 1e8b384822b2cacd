#pragma once

#include "ChartSeries.h"
#include "ChartTimeScale.h"

#include <QPointF>
#include <QRectF>

#include <optional>
#include <string>
#include <vector>

namespace tavlen::ui {

// What the number lane draws of a series at a bucket count: the segments thinned to about four readings per
// column, and the readings shown as dots.
struct ChartNumberLaneDrawing
{
    std::vector<ChartNumericSegment> segments;
    std::vector<ChartReading> points;

    friend bool operator==(const ChartNumberLaneDrawing&, const ChartNumberLaneDrawing&) = default;
};

// A mark of the lane as accessibility tools read it: a reading on a drawn line (a segment of two or more
// readings) or a dot.
struct ChartNumberMark
{
    std::int64_t timeMilliseconds = 0;
    double value = 0;
    bool isDot = false;

    friend bool operator==(const ChartNumberMark&, const ChartNumberMark&) = default;
};

// Heights and insets of the lane, in points.
inline constexpr double chartNumberHeaderHeight = 20;
inline constexpr double chartNumberHeaderSpacing = 6;
inline constexpr double chartNumberTopInset = 28;
inline constexpr double chartNumberPlotHeight = 160;
inline constexpr int chartInitialBucketCount = 600;

// Built off the main thread on an unchanging series. Every reading of the window outside the segments and the first and
// last reading of every segment inside the window stay among the dots; thinning removes only others.
ChartNumberLaneDrawing makeNumberLaneDrawing(const ChartSeries& series, int buckets);

// The segments or some number inside the window exist.
bool hasDrawableNumbers(const ChartSeries& series);

// The snapshot in upper case, "-", and the bucket count: a new key starts a new drawing.
std::string numberLaneDrawingKey(const Uuid& snapshotID, int buckets);

// The bucket count for a chart block of this width: the width truncated, less 70, at least 1.
int numberLaneBucketCount(double blockWidth);

// The reading of the window nearest in time to the point, or none when the plot does not hold the point or the
// window holds no number.
std::optional<ChartReading>
numberLaneHoverCandidate(const ChartSeries& series, const ChartTimeScale& scale, const QRectF& plot, QPointF point);

// A new candidate is written only when its check differs from the hovered one.
bool isNewNumberHover(const std::optional<ChartReading>& hovered, const std::optional<ChartReading>& candidate);

// The marks of a drawing: the readings of the lines, segment by segment, then the dots; their count and the one at
// an index (none past the end).
std::size_t numberLaneMarkCount(const std::vector<ChartNumericSegment>& segments,
                                const std::vector<ChartReading>& points);
std::optional<ChartNumberMark> numberLaneMark(const std::vector<ChartNumericSegment>& segments,
                                              const std::vector<ChartReading>& points,
                                              std::size_t index);

// The value label's left edge: centred on the hovered x, kept inside 0 ... chart width.
double numberValueLabelLeft(double hoveredX, double labelWidth, double chartWidth);

// The segment the hovered reading is put back on, by its index among the thinned segments and as drawn with the
// reading; none when the reading lies inside no segment's ordinals or is on its segment already. The same
// change as numberLaneSegments makes, found by bisection.
struct ChartHoverInsertion
{
    std::size_t index = 0;
    ChartNumericSegment segment;
};

std::optional<ChartHoverInsertion> numberLaneHoverInsertion(const std::vector<ChartNumericSegment>& thinned,
                                                            const std::optional<ChartReading>& hovered);

// The thinned segments with the hovered reading put back on its segment.
std::vector<ChartNumericSegment> numberLaneSegments(const std::vector<ChartNumericSegment>& thinned,
                                                    const std::optional<ChartReading>& hovered);

} // namespace tavlen::ui
