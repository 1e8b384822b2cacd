#pragma once

#include "ChartHoverView.h"

#ifndef Q_MOC_RUN
#include "ChartSeries.h"
#include "ChartTextLayout.h"
#endif

#include <memory>

namespace tavlen::ui {

// The hover layer of the text lane: the bar under the pointer (raised when selected) with the interval's tooltip.
class ChartTextHoverView : public ChartHoverView
{
    Q_OBJECT

public:
    using ChartHoverView::ChartHoverView;

    // The lane's data after every layout; the tooltip follows its bar, another snapshot closes it silently.
    void setData(std::shared_ptr<const ChartSeries> series,
                 std::vector<ChartTextBlock> blocks,
                 ChartHoverController::SelectionChanged onSelectionChange);

protected:
    std::optional<ChartHoverItem> hoverItem(QPointF point) const override;

private:
    std::shared_ptr<const ChartSeries> m_series;
    std::vector<ChartTextBlock> m_blocks;
};

} // namespace tavlen::ui
