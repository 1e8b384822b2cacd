#pragma once

// moc cannot parse the C++20 standard headers that these pull in; it needs none of them.
#ifndef Q_MOC_RUN
#include "ChartNumberLaneMarks.h"
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
// the header. The thinned drawing is computed off the main thread for each snapshot and width, once the lane has
// first been painted (a lane scrolled out of sight computes nothing). Its marks are drawn into an image kept
// while the drawing, the hover's place on the lines, the size, the pixel ratio and the colour stay the same, so
// a repaint for a hover only copies them. A new snapshot takes a new lane, so the hovered reading starts empty.
class ChartNumberChart : public QWidget
{
    Q_OBJECT

public:
    explicit ChartNumberChart(std::shared_ptr<const ChartSeries> series, QWidget* parent = nullptr);

    const ChartSeries& series() const { return *m_series; }

    const std::optional<ChartReading>& hover() const { return m_hover; }

    // The bucket count of the thinning: the block's width less 70, 600 until measured.
    int bucketCount() const { return m_buckets; }

    // The last finished drawing; empty until the first one is done.
    const ChartNumberLaneDrawing& drawing() const { return m_drawing; }

    bool isDrawing() const { return m_task.isRunning(); }

    // The drawing's segments as drawn: with the hovered reading put back on its line.
    const std::vector<ChartNumericSegment>& drawnSegments() const { return m_drawnSegments; }

    // Where a mark of the drawing lies, in the lane's coordinates.
    QPointF markPosition(const ChartNumberMark& mark) const;

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
    void requestDrawing();
    void pointerAt(QPointF point);
    void setHover(std::optional<ChartReading> hover);
    void placeHoverLabels();
    ChartTimeScale scale() const;
    ChartNumberLaneGeometry geometry() const;
    ChartNumberMarksKey marksKey(double pixelRatio) const;
    void placeDrawnSegments(bool drawingChanged);
    void paintMarks(QPainter& painter);
    void paintHover(QPainter& painter, const QRectF& plot) const;
    void paintValueTicks(QPainter& painter, const QRectF& plot) const;

    std::shared_ptr<const ChartSeries> m_series;
    std::vector<ChartTimeTick> m_timeTicks;
    bool m_hasDrawableNumbers = false;
    std::optional<ChartReading> m_hover;
    int m_buckets = chartInitialBucketCount;
    ChartNumberLaneDrawing m_drawing;
    // The drawing's segments with the hovered reading put back on its line; whether that changed one of them.
    std::vector<ChartNumericSegment> m_drawnSegments;
    bool m_hoverOnThinnedLine = false;
    bool m_wantsDrawing = false;

    int m_drawingGeneration = 0; // drawings stored so far
    ChartNumberMarksImage m_marks;
    QLabel* m_timeLabel;
    QLabel* m_valueLabel;
    KeyedViewTask<std::string> m_task;
};

} // namespace tavlen::ui
