#pragma once

#include "ChartIssue.h"
#include "ChartWindow.h"

#include <QPointF>
#include <QRectF>

#include <optional>
#include <vector>

namespace tavlen::ui {

// One tick of the missing-readings track: an issue and its x in points from the track's leading edge.
struct ChartIssueMarker
{
    ChartIssue issue;
    double x = 0;

    friend bool operator==(const ChartIssueMarker&, const ChartIssueMarker&) = default;
};

// The marker track's height; a marker's rectangle spans x - 6 ... x + 6 and y 2 ... 22.
inline constexpr double chartIssueTrackHeight = 24;

QRectF chartIssueMarkerRect(double x);

// One marker per issue, in the issues' order, at width × (t − start) / (end − start), neither rounded nor
// clamped.
std::vector<ChartIssueMarker>
makeChartIssueMarkers(const std::vector<ChartIssue>& issues, const ChartWindow& window, double width);

// The integer columns that get a tick: each marker's x truncated towards zero, each column once (markers
// ascending by x).
std::vector<int> chartIssueTickColumns(const std::vector<ChartIssueMarker>& markers);

// The marker nearest to the point along x (markers ascending by x; a tie goes to the earlier one), when its
// rectangle holds the point (left and top edges included); none otherwise.
std::optional<ChartIssueMarker> nearestChartIssueMarker(const std::vector<ChartIssueMarker>& markers, QPointF point);

// The first marker of the issue, when it is among the markers.
std::optional<ChartIssueMarker> chartIssueMarkerOf(const std::vector<ChartIssueMarker>& markers, const Uuid& issueID);

} // namespace tavlen::ui
