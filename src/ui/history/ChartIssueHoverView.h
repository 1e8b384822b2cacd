#pragma once

#include "ChartHoverView.h"

#ifndef Q_MOC_RUN
#include "ChartIssueMarkers.h"
#include "ChartSeries.h"
#endif

#include <memory>

namespace tavlen::ui {

// The hover layer of the missing-readings track: the marker under the pointer, with its check's time.
class ChartIssueHoverView : public ChartHoverView
{
    Q_OBJECT

public:
    using ChartHoverView::ChartHoverView;

    void setData(std::shared_ptr<const ChartSeries> series,
                 std::vector<ChartIssueMarker> markers,
                 ChartHoverController::SelectionChanged onSelectionChange);

protected:
    std::optional<ChartHoverItem> hoverItem(QPointF point) const override;

private:
    std::shared_ptr<const ChartSeries> m_series;
    std::vector<ChartIssueMarker> m_markers;
};

} // namespace tavlen::ui
