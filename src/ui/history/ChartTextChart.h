#pragma once

#ifndef Q_MOC_RUN
#include "ChartSeries.h"
#include "ChartTextLayout.h"
#endif

#include <QWidget>

#include <memory>
#include <optional>

namespace tavlen::ui {

class ChartTextHoverView;

// The text lane of a chart panel: one bar per run of equal text, its text fitted inside, thin gaps between bars
// that touch, and the hovered bar raised with its times and text in a tooltip. A new snapshot takes a new lane.
class ChartTextChart : public QWidget
{
    Q_OBJECT

public:
    explicit ChartTextChart(std::shared_ptr<const ChartSeries> series, QWidget* parent = nullptr);

    const std::optional<Uuid>& hoverID() const { return m_hoverID; }

    const std::vector<ChartTextBlock>& blocks() const { return m_blocks; }

    ChartTextHoverView* hoverView() const { return m_hoverView; }

    QRectF plotRect() const;

    QSize sizeHint() const override;

Q_SIGNALS:
    void hoverIDChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void layOut();
    void setHoverID(const std::optional<Uuid>& id);
    void paintBars(QPainter& painter, const QRectF& plot) const;
    void paintLabels(QPainter& painter) const;

    std::shared_ptr<const ChartSeries> m_series;
    std::vector<ChartTimeTick> m_timeTicks;
    std::vector<ChartTextBlock> m_blocks;
    std::optional<Uuid> m_hoverID;
    ChartTextHoverView* m_hoverView;
};

} // namespace tavlen::ui
