#include "ChartIssueHoverView.h"

#include "ChartTextTooltip.h"

namespace tavlen::ui {

void ChartIssueHoverView::setData(std::shared_ptr<const ChartSeries> series,
                                  std::vector<ChartIssueMarker> markers,
                                  ChartHoverController::SelectionChanged onSelectionChange)
{
    m_series = std::move(series);
    m_markers = std::move(markers);
    std::optional<QRectF> selectedRect;
    if (const std::optional<Uuid>& selected = selectedID()) {
        if (const std::optional<ChartIssueMarker> marker = chartIssueMarkerOf(m_markers, *selected)) {
            selectedRect = chartIssueMarkerRect(marker->x);
        }
    }
    controller().update(m_series->snapshotID, selectedRect, std::move(onSelectionChange));
}

std::optional<ChartHoverItem> ChartIssueHoverView::hoverItem(QPointF point) const
{
    if (!m_series) {
        return std::nullopt;
    }
    const std::optional<ChartIssueMarker> marker = nearestChartIssueMarker(m_markers, point);
    if (!marker) {
        return std::nullopt;
    }
    const std::int64_t time = marker->issue.timeMilliseconds;
    return ChartHoverItem{{marker->issue.id, chartIssueMarkerRect(marker->x)},
                          [time] { return makeChartIssueTooltip(time); }};
}

} // namespace tavlen::ui
