#include "ChartNumberChart.h"

#include "Accessibility.h"
#include "ChartAxisPainter.h"
#include "ChartsText.h"
#include "Formatting.h"
#include "KitColors.h"
#include "QtText.h"
#include "TextStyles.h"

#include <QCoroFuture>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QtConcurrent>

#include <cmath>

namespace tavlen::ui {

namespace {

constexpr double laneHeight =
    chartNumberHeaderHeight + chartNumberHeaderSpacing + chartNumberTopInset + chartNumberPlotHeight;
constexpr double dotDiameter = 4.2; // a disc of 14 square points
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

    m_task.setKey(numberLaneDrawingKey(m_series->snapshotID, m_buckets));
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

QCoro::Task<void> ChartNumberChart::draw(std::string, std::stop_token stop)
{
    // The series is shared unchanged, so the worker needs no copy of it.
    std::shared_ptr<const ChartSeries> series = m_series;
    const int buckets = m_buckets;
    // Built outside the co_await expression: g++ 12 destroys temporaries of that expression twice.
    QFuture<ChartNumberLaneDrawing> work =
        QtConcurrent::run([series, buckets] { return makeNumberLaneDrawing(*series, buckets); });
    ChartNumberLaneDrawing drawing = co_await work;
    if (stop.stop_requested()) {
        co_return;
    }
    m_drawing = std::move(drawing);
    update();
    Q_EMIT drawingChanged();
}

void ChartNumberChart::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_buckets = numberLaneBucketCount(width());
    m_timeLabel->setGeometry(0, 0, width(), static_cast<int>(chartNumberHeaderHeight));
    placeHoverLabels();
    m_task.setKey(numberLaneDrawingKey(m_series->snapshotID, m_buckets));
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

double ChartNumberChart::yPosition(double value, const QRectF& plot) const
{
    const ChartNumericDomain& domain = m_series->numericDomain;
    const double span = domain.upper - domain.lower;
    if (!(span > 0)) {
        return plot.center().y();
    }
    return plot.bottom() - (value - domain.lower) / span * plot.height();
}

void ChartNumberChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF plot = plotRect();
    setChartGridPen(painter, palette());
    for (const double tick : m_series->numericTicks) {
        const double y = yPosition(tick, plot);
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    }
    paintChartTimeAxis(painter, palette(), scale(), plot, m_timeTicks);
    painter.save();
    painter.setClipRect(plot);
    paintMarks(painter, plot);
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

void ChartNumberChart::paintMarks(QPainter& painter, const QRectF& plot) const
{
    const ChartTimeScale timeScale = scale();
    const QColor accent = accentColor(palette());
    const double baseline = yPosition(m_series->numericDomain.lower, plot);
    QLinearGradient shade(plot.topLeft(), plot.bottomLeft());
    shade.setColorAt(0, withOpacity(accent, 0.22));
    shade.setColorAt(1, withOpacity(accent, 0));
    QPen solid(accent, 1.6, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    QPen dashed = solid;
    dashed.setDashPattern({5 / 1.6, 4 / 1.6});

    for (const ChartNumericSegment& segment : numberLaneSegments(m_drawing.segments, m_hover)) {
        if (segment.points.size() < 2) {
            continue;
        }
        QPainterPath line;
        for (const ChartReading& reading : segment.points) {
            const QPointF at(*timeScale.position(reading.timeMilliseconds), yPosition(reading.value.number(), plot));
            if (line.elementCount() == 0) {
                line.moveTo(at);
            } else {
                line.lineTo(at);
            }
        }
        QPainterPath area = line;
        area.lineTo(line.currentPosition().x(), baseline);
        area.lineTo(line.elementAt(0).x, baseline);
        area.closeSubpath();
        painter.fillPath(area, shade);
        painter.strokePath(line, segment.interrupted ? dashed : solid);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(accent);
    for (const ChartReading& reading : m_drawing.points) {
        const QPointF at(*timeScale.position(reading.timeMilliseconds), yPosition(reading.value.number(), plot));
        painter.drawEllipse(at, dotDiameter / 2, dotDiameter / 2);
    }
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
    const QPointF at(*x, yPosition(m_hover->value.number(), plot));
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
        const double y = yPosition(tick, plot);
        const QRectF box(plot.left() - 34 - boxWidth / 2, y - lineHeight / 2, boxWidth, lineHeight);
        painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter, formatCompactNumber(tick));
    }
}

} // namespace tavlen::ui
