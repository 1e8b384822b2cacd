#include "ChartNumberChart.h"

#include "Accessibility.h"
#include "ChartAxisPainter.h"
#include "ChartNumberChartAccessible.h"
#include "ChartsText.h"
#include "Formatting.h"
#include "KitColors.h"
#include "QtText.h"
#include "TextStyles.h"

#include <QAccessible>
#include <QCoroFuture>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QtConcurrent>

#include <cmath>

namespace tavlen::ui {

namespace {

constexpr double laneHeight =
    chartNumberHeaderHeight + chartNumberHeaderSpacing + chartNumberTopInset + chartNumberPlotHeight;
constexpr double hoverDiscDiameter = 14;

} // namespace

ChartNumberChart::ChartNumberChart(std::shared_ptr<const ChartSeries> series, QWidget* parent)
    : QWidget(parent)
    , m_series(std::move(series))
    , m_timeTicks(chartTimeTicks(m_series->window))
    , m_hasDrawableNumbers(hasDrawableNumbers(*m_series))
    , m_timeLabel(new QLabel(this))
    , m_valueLabel(new QLabel(this))
    , m_task(this, [this](std::string key, std::stop_token stop) { return draw(std::move(key), std::move(stop)); })
{
    ChartNumberChartAccessible::install();
    setMouseTracking(true);
    setFixedHeight(static_cast<int>(laneHeight));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibility(this, toQString(m_series->title) + toQString(chartsText::numericChartSuffix));

    m_timeLabel->setObjectName(QStringLiteral("chart-hover-time"));
    QFont timeFont = systemFont(14, QFont::Medium);
    m_timeLabel->setFont(timeFont);
    m_timeLabel->setAlignment(Qt::AlignCenter);
    m_timeLabel->setAttribute(Qt::WA_TransparentForMouseEvents);

    m_valueLabel->setObjectName(QStringLiteral("chart-hover-value"));
    QFont valueFont = systemFont(15, QFont::DemiBold);
    m_valueLabel->setFont(valueFont);
    m_valueLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_valueLabel->hide();
    changeEvent(nullptr);
}

void ChartNumberChart::requestDrawing()
{
    if (m_wantsDrawing) {
        m_task.setKey(numberLaneDrawingKey(m_series->snapshotID, m_buckets));
    }
}

QRectF ChartNumberChart::chartFrame() const
{
    const double top = chartNumberHeaderHeight + chartNumberHeaderSpacing + chartNumberTopInset;
    return {chartLeadingInset, top, std::max(width() - chartLeadingInset, 0.0), chartNumberPlotHeight};
}

QRectF ChartNumberChart::plotRect() const
{
    return chartPlotRect(chartFrame());
}

QSize ChartNumberChart::sizeHint() const
{
    return {600, static_cast<int>(laneHeight)};
}

namespace {

// A drawing and its marks, both made off the main thread.
struct DrawnLane
{
    ChartNumberLaneDrawing drawing;
    ChartNumberMarksImage marks;
};

} // namespace

QCoro::Task<void> ChartNumberChart::draw(std::string, std::stop_token stop)
{
    // The series is shared unchanged, so the worker needs no copy of it.
    std::shared_ptr<const ChartSeries> series = m_series;
    const int buckets = m_buckets;
    const ChartNumberLaneGeometry lane = geometry();
    const ChartNumberMarksKey key = marksKey(devicePixelRatioF());
    // Built outside the co_await expression: g++ 12 destroys temporaries of that expression twice.
    QFuture<DrawnLane> work = QtConcurrent::run([series, buckets, lane, key] {
        DrawnLane drawn{makeNumberLaneDrawing(*series, buckets), {}};
        drawn.marks = drawNumberLaneMarks(key, lane, drawn.drawing.segments, drawn.drawing.points);
        return drawn;
    });
    DrawnLane drawn = co_await work;
    if (stop.stop_requested()) {
        co_return;
    }
    m_drawing = std::move(drawn.drawing);
    ++m_drawingGeneration;
    m_marks = std::move(drawn.marks);
    m_marks.key.drawing = m_drawingGeneration; // drawn without a hover on a thinned line
    placeDrawnSegments(true);
    update();
    QAccessibleEvent marksChanged(this, QAccessible::ObjectReorder);
    QAccessible::updateAccessibility(&marksChanged);
    Q_EMIT drawingChanged();
}

void ChartNumberChart::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_buckets = numberLaneBucketCount(width());
    m_timeLabel->setGeometry(0, 0, width(), static_cast<int>(chartNumberHeaderHeight));
    placeHoverLabels();
    requestDrawing();
}

void ChartNumberChart::changeEvent(QEvent* event)
{
    if (event) {
        QWidget::changeEvent(event);
    }
    if (!event || event->type() == QEvent::PaletteChange) {
        QPalette colors = m_valueLabel->palette();
        colors.setColor(QPalette::WindowText, accentColor(palette()));
        m_valueLabel->setPalette(colors);
    }
}

void ChartNumberChart::mouseMoveEvent(QMouseEvent* event)
{
    pointerAt(event->position());
}

void ChartNumberChart::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    setHover(std::nullopt);
}

void ChartNumberChart::pointerAt(QPointF point)
{
    const QRectF frame = chartFrame();
    if (!frame.contains(point)) {
        setHover(std::nullopt); // outside the hover region
        return;
    }
    std::optional<ChartReading> candidate = numberLaneHoverCandidate(*m_series, scale(), plotRect(), point);
    if (isNewNumberHover(m_hover, candidate)) {
        setHover(std::move(candidate));
    }
}

void ChartNumberChart::setHover(std::optional<ChartReading> hover)
{
    if (!isNewNumberHover(m_hover, hover)) {
        return;
    }
    m_hover = std::move(hover);
    placeDrawnSegments(false);
    placeHoverLabels();
    update();
    Q_EMIT hoverChanged();
}

void ChartNumberChart::placeHoverLabels()
{
    const bool hasNumber = m_hover && m_hover->value.isNumber();
    m_timeLabel->setText(m_hover ? formatMoment(m_hover->timeMilliseconds) : QString());
    const std::optional<double> x = hasNumber ? scale().position(m_hover->timeMilliseconds) : std::nullopt;
    if (!x) {
        m_valueLabel->hide();
        return;
    }
    const QString text = formatNumber(m_hover->value.number(), {"en_US", {}});
    m_valueLabel->setText(text);
    setAccessibility(m_valueLabel, toQString(chartsText::selectedValue) + text);
    m_valueLabel->adjustSize();
    const QRectF frame = chartFrame();
    const double left = numberValueLabelLeft(*x - frame.left(), m_valueLabel->width(), frame.width());
    m_valueLabel->move(static_cast<int>(std::round(frame.left() + left)), static_cast<int>(frame.top() - 25));
    m_valueLabel->show();
}

ChartTimeScale ChartNumberChart::scale() const
{
    const QRectF plot = plotRect();
    return {m_series->window, plot.left(), plot.width()};
}

QPointF ChartNumberChart::markPosition(const ChartNumberMark& mark) const
{
    return geometry().at(mark.timeMilliseconds, mark.value);
}

ChartNumberLaneGeometry ChartNumberChart::geometry() const
{
    return {scale(), plotRect(), m_series->numericDomain};
}

ChartNumberMarksKey ChartNumberChart::marksKey(double pixelRatio) const
{
    return {m_drawingGeneration,
            m_hoverOnThinnedLine ? std::optional<Uuid>(m_hover->checkID) : std::nullopt,
            plotRect(),
            pixelRatio,
            accentColor(palette()).rgba()};
}

void ChartNumberChart::placeDrawnSegments(bool drawingChanged)
{
    // Most hovers lie on their line already; the segments are copied only when one of them changes.
    std::optional<ChartHoverInsertion> insertion = numberLaneHoverInsertion(m_drawing.segments, m_hover);
    if (!drawingChanged && !insertion && !m_hoverOnThinnedLine) {
        return;
    }
    m_drawnSegments = m_drawing.segments;
    m_hoverOnThinnedLine = insertion.has_value();
    if (insertion) {
        m_drawnSegments[insertion->index] = std::move(insertion->segment);
    }
}

void ChartNumberChart::paintEvent(QPaintEvent*)
{
    if (!m_wantsDrawing) {
        m_wantsDrawing = true;
        requestDrawing();
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF plot = plotRect();
    setChartGridPen(painter, palette());
    for (const double tick : m_series->numericTicks) {
        const double y = geometry().y(tick);
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    }
    paintChartTimeAxis(painter, palette(), scale(), plot, m_timeTicks);
    painter.save();
    painter.setClipRect(plot);
    paintMarks(painter);
    paintHover(painter, plot);
    painter.restore();
    paintValueTicks(painter, plot);
    if (!m_hasDrawableNumbers) {
        painter.setFont(textStyleFont(TextStyle::callout));
        painter.setPen(secondaryColor(palette()));
        const QRectF block(0,
                           chartNumberHeaderHeight + chartNumberHeaderSpacing,
                           width(),
                           chartNumberTopInset + chartNumberPlotHeight);
        painter.drawText(block, Qt::AlignCenter, toQString(chartsText::noNumericReadings));
    }
}

void ChartNumberChart::paintMarks(QPainter& painter)
{
    // Usually drawn with the drawing; again here after a change of size, pixel ratio or colour, or for a hovered
    // reading put back on a thinned line.
    const ChartNumberMarksKey key = marksKey(painter.device()->devicePixelRatioF());
    if (!(m_marks.key == key)) {
        m_marks = drawNumberLaneMarks(key, geometry(), m_drawnSegments, m_drawing.points);
    }
    painter.drawImage(m_marks.origin(), m_marks.image);
}

void ChartNumberChart::paintHover(QPainter& painter, const QRectF& plot) const
{
    if (!m_hover || !m_hover->value.isNumber()) {
        return;
    }
    const std::optional<double> x = scale().position(m_hover->timeMilliseconds);
    if (!x) {
        return;
    }
    const QColor accent = accentColor(palette());
    painter.setPen(QPen(withOpacity(accent, 0.8), 1));
    painter.drawLine(QPointF(*x, plot.top()), QPointF(*x, plot.bottom()));
    const QPointF at(*x, geometry().y(m_hover->value.number()));
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().color(QPalette::Window));
    painter.drawEllipse(at, hoverDiscDiameter / 2, hoverDiscDiameter / 2);
    painter.setBrush(accent);
    painter.drawEllipse(at, hoverDiscDiameter / 2 - 2, hoverDiscDiameter / 2 - 2);
}

void ChartNumberChart::paintValueTicks(QPainter& painter, const QRectF& plot) const
{
    painter.setFont(textStyleFont(TextStyle::caption2));
    painter.setPen(secondaryColor(palette()));
    constexpr double boxWidth = 54;
    const double lineHeight = painter.fontMetrics().height();
    for (const double tick : m_series->numericTicks) {
        const double y = geometry().y(tick);
        const QRectF box(plot.left() - 34 - boxWidth / 2, y - lineHeight / 2, boxWidth, lineHeight);
        painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter, formatCompactNumber(tick));
    }
}

} // namespace tavlen::ui
