#include "ChartIssueMarkers.h"

#include <algorithm>
#include <cmath>

namespace tavlen::ui {

namespace {

constexpr double halfWidth = 6;
constexpr double top = 2;
constexpr double height = 20;

// Left and top edges belong to the rectangle, right and bottom edges do not.
bool holds(const QRectF& rect, QPointF point)
{
    return point.x() >= rect.left() && point.x() < rect.right() && point.y() >= rect.top() && point.y() < rect.bottom();
}

} // namespace

QRectF chartIssueMarkerRect(double x)
{
    return {x - halfWidth, top, 2 * halfWidth, height};
}

std::vector<ChartIssueMarker>
makeChartIssueMarkers(const std::vector<ChartIssue>& issues, const ChartWindow& window, double width)
{
    const double start = static_cast<double>(window.startMilliseconds);
    const double span = static_cast<double>(window.endMilliseconds) - start;
    std::vector<ChartIssueMarker> markers;
    markers.reserve(issues.size());
    for (const ChartIssue& issue : issues) {
        markers.push_back({issue, width * ((static_cast<double>(issue.timeMilliseconds) - start) / span)});
    }
    return markers;
}

std::vector<int> chartIssueTickColumns(const std::vector<ChartIssueMarker>& markers)
{
    // Markers come in ascending x, so the markers of one column follow each other.
    std::vector<int> columns;
    for (const ChartIssueMarker& marker : markers) {
        const int column = static_cast<int>(std::trunc(marker.x));
        if (columns.empty() || columns.back() != column) {
            columns.push_back(column);
        }
    }
    return columns;
}

std::optional<ChartIssueMarker> nearestChartIssueMarker(const std::vector<ChartIssueMarker>& markers, QPointF point)
{
    if (markers.empty()) {
        return std::nullopt;
    }
    // The first marker whose x is not left of the point.
    std::size_t low = 0;
    std::size_t high = markers.size();
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (markers[middle].x < point.x()) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    const ChartIssueMarker* candidate = nullptr;
    if (low == 0) {
        candidate = &markers.front();
    } else if (low == markers.size()) {
        candidate = &markers.back();
    } else {
        const ChartIssueMarker& before = markers[low - 1];
        const ChartIssueMarker& after = markers[low];
        candidate = point.x() - before.x <= after.x - point.x() ? &before : &after;
    }
    if (!holds(chartIssueMarkerRect(candidate->x), point)) {
        return std::nullopt;
    }
    return *candidate;
}

std::optional<ChartIssueMarker> chartIssueMarkerOf(const std::vector<ChartIssueMarker>& markers, const Uuid& issueID)
{
    const auto found = std::find_if(
        markers.begin(), markers.end(), [&](const ChartIssueMarker& marker) { return marker.issue.id == issueID; });
    return found == markers.end() ? std::nullopt : std::optional<ChartIssueMarker>(*found);
}

} // namespace tavlen::ui
