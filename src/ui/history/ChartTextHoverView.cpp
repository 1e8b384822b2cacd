#include "ChartTextHoverView.h"

#include "ChartTextTooltip.h"

#include <algorithm>

namespace tavlen::ui {

void ChartTextHoverView::setData(std::shared_ptr<const ChartSeries> series,
                                 std::vector<ChartTextBlock> blocks,
                                 ChartHoverController::SelectionChanged onSelectionChange)
{
    m_series = std::move(series);
    m_blocks = std::move(blocks);
    std::optional<QRectF> selectedRect;
    if (const std::optional<Uuid>& selected = selectedID()) {
        const auto found = std::find_if(m_blocks.begin(), m_blocks.end(), [&](const ChartTextBlock& block) {
            return block.interval.id == *selected;
        });
        if (found != m_blocks.end()) {
            selectedRect = raisedChartTextRect(found->rect);
        }
    }
    controller().update(m_series->snapshotID, selectedRect, std::move(onSelectionChange));
}

std::optional<ChartHoverItem> ChartTextHoverView::hoverItem(QPointF point) const
{
    if (!m_series) {
        return std::nullopt;
    }
    const std::optional<std::size_t> index = chartTextBlockAt(m_blocks, point, selectedID());
    if (!index) {
        return std::nullopt;
    }
    const ChartTextBlock& block = m_blocks[*index];
    ChartTextInterval interval = block.interval;
    const ChartWindow window = m_series->window;
    return ChartHoverItem{{interval.id, raisedChartTextRect(block.rect)},
                          [interval, window] { return new ChartTextTooltip(interval, window); }};
}

} // namespace tavlen::ui
