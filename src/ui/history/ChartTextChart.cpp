#include "ChartTextChart.h"

#include "Accessibility.h"
#include "ChartAxisPainter.h"
#include "ChartTextHoverView.h"
#include "ChartsText.h"
#include "KitColors.h"
#include "QtText.h"
#include "TextStyles.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace tavlen::ui {

namespace {

constexpr double chartHeight = 86;
constexpr double cornerRadius = 3;
constexpr double hoveredHeight = 28;
constexpr double hoveredRaise = 4;
constexpr double labelInset = 4;

} // namespace

ChartTextChart::ChartTextChart(std::shared_ptr<const ChartSeries> series, QWidget* parent)
    : QWidget(parent)
    , m_series(std::move(series))
    , m_timeTicks(chartTimeTicks(m_series->window))
    , m_hoverView(new ChartTextHoverView(this))
{
    setFixedHeight(static_cast<int>(chartHeight));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibility(this, toQString(m_series->title) + toQString(chartsText::textChartSuffix));
    layOut();
}

QRectF ChartTextChart::plotRect() const
{
    return chartPlotRect(QRectF(chartLeadingInset, 0, std::max(width() - chartLeadingInset, 0.0), chartHeight));
}

QSize ChartTextChart::sizeHint() const
{
    return {600, static_cast<int>(chartHeight)};
}

void ChartTextChart::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layOut();
}

void ChartTextChart::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    setHoverID(std::nullopt);
}

void ChartTextChart::layOut()
{
    const QRectF plot = plotRect();
    m_blocks =
        makeChartTextBlocks(m_series->textIntervals, {m_series->window, plot.left(), plot.width()}, plot.center().y());
    m_hoverView->setGeometry(rect());
    m_hoverView->setData(m_series, m_blocks, [this](const std::optional<Uuid>& id) { setHoverID(id); });
    update();
}

void ChartTextChart::setHoverID(const std::optional<Uuid>& id)
{
    if (m_hoverID == id) {
        return;
    }
    m_hoverID = id;
    update();
    Q_EMIT hoverIDChanged();
}

void ChartTextChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF plot = plotRect();
    paintChartTimeAxis(painter, palette(), {m_series->window, plot.left(), plot.width()}, plot, m_timeTicks);
    painter.save();
    painter.setClipRect(plot);
    paintBars(painter, plot);
    painter.restore();
    paintLabels(painter);
    if (m_series->textIntervals.empty()) {
        painter.setFont(textStyleFont(TextStyle::callout));
        painter.setPen(secondaryColor(palette()));
        painter.drawText(rect(), Qt::AlignCenter, toQString(chartsText::noTextReadings));
    }
}

void ChartTextChart::paintBars(QPainter& painter, const QRectF& plot) const
{
    const QColor accent = accentColor(palette());
    painter.setPen(Qt::NoPen);
    for (const ChartTextBlock& block : m_blocks) {
        const bool hovered = m_hoverID == block.interval.id;
        const QColor color = withOpacity(accent, hovered ? 1.0 : 0.35);
        QRectF bar = block.rect;
        if (hovered) {
            bar = QRectF(bar.left(), plot.center().y() - hoveredHeight / 2 - hoveredRaise, bar.width(), hoveredHeight);
        }
        QLinearGradient fill(bar.topLeft(), bar.topRight());
        fill.setColorAt(0, color);
        fill.setColorAt(1, block.interval.isOpenEnded ? withOpacity(color, 0) : color);
        painter.setBrush(fill);
        painter.drawRoundedRect(bar, cornerRadius, cornerRadius);
    }
    painter.setBrush(palette().color(QPalette::Window));
    for (const double x : chartTextSeparatorPositions(m_blocks)) {
        painter.drawRect(QRectF(x - 1, plot.center().y() - hoveredRaise - hoveredHeight / 2, 2, hoveredHeight));
    }
}

void ChartTextChart::paintLabels(QPainter& painter) const
{
    const QFont font = systemFont(12);
    const QFontMetricsF metrics(font);
    const ChartTextMeasure measure = [&](const QString& text) { return metrics.horizontalAdvance(text); };
    painter.setFont(font);
    for (const ChartTextBlock& block : m_blocks) {
        const bool selected = m_hoverID == block.interval.id;
        const QRectF area = selected ? raisedChartTextRect(block.rect) : block.rect;
        if (area.width() <= 2 * labelInset) {
            continue;
        }
        const std::optional<QString> fitted =
            fittedChartLabel(chartTextLabelText(block.interval.text), area.width() - 2 * labelInset, measure);
        if (!fitted) {
            continue;
        }
        painter.save();
        QPainterPath clip;
        clip.addRoundedRect(area, cornerRadius, cornerRadius);
        painter.setClipPath(clip);
        painter.setPen(selected ? QColor(Qt::white) : primaryColor(palette()));
        const double baseline = area.center().y() + (metrics.ascent() - metrics.descent()) / 2;
        painter.drawText(QPointF(area.left() + labelInset, baseline), *fitted);
        painter.restore();
    }
}

} // namespace tavlen::ui
