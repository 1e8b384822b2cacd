#pragma once

// moc cannot parse the C++20 standard headers that these pull in; it needs none of them.
#ifndef Q_MOC_RUN
#include "ChartNumberLaneModel.h"
#include "ChartSeries.h"
#include "ChartTimeScale.h"
#include "KeyedViewTask.h"
#endif

#include <QWidget>

#include <memory>
#include <optional>
#include <string>

class QLabel;

namespace tavlen::ui {

// The number lane of a chart panel: lines with shaded areas for the segments, dots, grid and tick labels, a time
// axis, and the reading under the pointer marked with a rule, a disc, its value above the plot and its time in
// the header. The thinned drawing is computed off the main thread for each snapshot and width. A new snapshot
// takes a new lane, so the hovered reading starts empty.
class ChartNumberChart : public QWidget
{
    Q_OBJECT

public:
    explicit ChartNumberChart(std::shared_ptr<const ChartSeries> series, QWidget* parent = nullptr);

    const std::optional<ChartReading>& hover() const { return m_hover; }

    // The bucket count of the thinning: the block's width less 70, 600 until measured.
    int bucketCount() const { return m_buckets; }

    // The last finished drawing; empty until the first one is done.
    const ChartNumberLaneDrawing& drawing() const { return m_drawing; }

    bool isDrawing() const { return m_task.isRunning(); }

    // The chart frame (the plot and its time axis) and the plot itself, in the lane's coordinates.
    QRectF chartFrame() const;
    QRectF plotRect() const;

    QSize sizeHint() const override;

Q_SIGNALS:
    void hoverChanged();
    // A drawing was stored (tests and benchmarks wait for it).
    void drawingChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QCoro::Task<void> draw(std::string key, std::stop_token stop);
    void pointerAt(QPointF point);
    void setHover(std::optional<ChartReading> hover);
    void placeHoverLabels();
    ChartTimeScale scale() const;
    double yPosition(double value, const QRectF& plot) const;
    void paintMarks(QPainter& painter, const QRectF& plot) const;
    void paintHover(QPainter& painter, const QRectF& plot) const;
    void paintValueTicks(QPainter& painter, const QRectF& plot) const;

    std::shared_ptr<const ChartSeries> m_series;
    std::vector<ChartTimeTick> m_timeTicks;
    bool m_hasDrawableNumbers = false;
    std::optional<ChartReading> m_hover;
    int m_buckets = chartInitialBucketCount;
    ChartNumberLaneDrawing m_drawing;
    QLabel* m_timeLabel;
    QLabel* m_valueLabel;
    KeyedViewTask<std::string> m_task;
};

} // namespace tavlen::ui
