#include "ChartNumberLaneModel.h"

#include "ChartDownsampling.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace tavlen::ui {

ChartNumberLaneDrawing makeNumberLaneDrawing(const ChartSeries& series, int buckets)
{
    const ChartWindow& window = series.window;
    ChartNumberLaneDrawing drawing;
    std::unordered_set<Uuid> segmentChecks;
    std::vector<ChartReading> endpoints;
    for (const ChartNumericSegment& segment : series.numericSegments) {
        drawing.segments.push_back(
            {segment.id,
             downsampleReadings(segment.points, window.startMilliseconds, window.endMilliseconds, buckets),
             segment.interrupted});
        for (const ChartReading& reading : segment.points) {
            segmentChecks.insert(reading.checkID);
        }
        endpoints.push_back(segment.points.front());
        endpoints.push_back(segment.points.back());
    }

    std::vector<ChartReading> inside;
    for (const ChartReading& reading : series.numbers) {
        if (window.contains(reading.timeMilliseconds)) {
            inside.push_back(reading);
        }
    }
    std::vector<ChartReading> candidates =
        downsampleReadings(inside, window.startMilliseconds, window.endMilliseconds, buckets);
    candidates.insert(candidates.end(), endpoints.begin(), endpoints.end());
    for (const ChartReading& reading : series.numbers) {
        if (!segmentChecks.contains(reading.checkID)) {
            candidates.push_back(reading);
        }
    }

    std::unordered_set<Uuid> seen;
    for (ChartReading& reading : candidates) {
        if (window.contains(reading.timeMilliseconds) && seen.insert(reading.checkID).second) {
            drawing.points.push_back(std::move(reading));
        }
    }
    std::stable_sort(drawing.points.begin(), drawing.points.end(), [](const ChartReading& a, const ChartReading& b) {
        return a.ordinal < b.ordinal;
    });
    return drawing;
}

bool hasDrawableNumbers(const ChartSeries& series)
{
    return !series.numericSegments.empty() ||
           std::any_of(series.numbers.begin(), series.numbers.end(), [&](const ChartReading& reading) {
               return series.window.contains(reading.timeMilliseconds);
           });
}

std::string numberLaneDrawingKey(const Uuid& snapshotID, int buckets)
{
    return snapshotID.uppercaseString() + "-" + std::to_string(buckets);
}

int numberLaneBucketCount(double blockWidth)
{
    constexpr double reserved = 70;
    const double whole = std::trunc(blockWidth);
    if (!(whole - reserved >= 1)) {
        return 1;
    }
    return static_cast<int>(std::min(whole - reserved, 1e9));
}

std::optional<ChartReading>
numberLaneHoverCandidate(const ChartSeries& series, const ChartTimeScale& scale, const QRectF& plot, QPointF point)
{
    // The plot's right and bottom edges are outside it, as with every rectangle of the lanes.
    if (!(point.x() >= plot.left() && point.x() < plot.right() && point.y() >= plot.top() &&
          point.y() < plot.bottom())) {
        return std::nullopt;
    }
    const std::optional<std::int64_t> time = scale.time(point.x());
    if (!time) {
        return std::nullopt;
    }
    return series.nearestNumber(*time);
}

bool isNewNumberHover(const std::optional<ChartReading>& hovered, const std::optional<ChartReading>& candidate)
{
    if (!hovered || !candidate) {
        return hovered.has_value() != candidate.has_value();
    }
    return hovered->checkID != candidate->checkID;
}

std::size_t numberLaneMarkCount(const std::vector<ChartNumericSegment>& segments,
                                const std::vector<ChartReading>& points)
{
    std::size_t count = points.size();
    for (const ChartNumericSegment& segment : segments) {
        count += segment.points.size() >= 2 ? segment.points.size() : 0;
    }
    return count;
}

std::optional<ChartNumberMark> numberLaneMark(const std::vector<ChartNumericSegment>& segments,
                                              const std::vector<ChartReading>& points,
                                              std::size_t index)
{
    for (const ChartNumericSegment& segment : segments) {
        if (segment.points.size() < 2) {
            continue; // drawn as a dot only
        }
        if (index < segment.points.size()) {
            return ChartNumberMark{segment.points.timeAt(index), segment.points.valueAt(index), false};
        }
        index -= segment.points.size();
    }
    if (index < points.size()) {
        return ChartNumberMark{points[index].timeMilliseconds, points[index].value.number(), true};
    }
    return std::nullopt;
}

double numberValueLabelLeft(double hoveredX, double labelWidth, double chartWidth)
{
    const double left = hoveredX - labelWidth / 2;
    if (left < 0) {
        return 0;
    }
    const double rightmost = std::max(chartWidth - labelWidth, 0.0);
    return left > rightmost ? rightmost : left;
}

std::optional<ChartHoverInsertion> numberLaneHoverInsertion(const std::vector<ChartNumericSegment>& thinned,
                                                            const std::optional<ChartReading>& hovered)
{
    if (!hovered) {
        return std::nullopt;
    }
    // Segments follow each other in ordinal order, sharing at most an end, so only the last one that starts
    // before the reading can hold it inside.
    const auto after = std::partition_point(thinned.begin(), thinned.end(), [&](const ChartNumericSegment& segment) {
        return segment.points.empty() || segment.points.ordinalAt(0) < hovered->ordinal;
    });
    if (after == thinned.begin()) {
        return std::nullopt;
    }
    const auto candidate = std::prev(after);
    ChartNumericSegment drawn = candidate->including(hovered);
    if (drawn.points.size() == candidate->points.size()) {
        return std::nullopt;
    }
    return ChartHoverInsertion{static_cast<std::size_t>(candidate - thinned.begin()), std::move(drawn)};
}

std::vector<ChartNumericSegment> numberLaneSegments(const std::vector<ChartNumericSegment>& thinned,
                                                    const std::optional<ChartReading>& hovered)
{
    std::vector<ChartNumericSegment> segments;
    segments.reserve(thinned.size());
    for (const ChartNumericSegment& segment : thinned) {
        segments.push_back(segment.including(hovered));
    }
    return segments;
}

} // namespace tavlen::ui
