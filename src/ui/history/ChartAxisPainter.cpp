#include "ChartAxisPainter.h"

#include "KitColors.h"
#include "QtText.h"
#include "TextStyles.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPen>

namespace tavlen::ui {

QRectF chartPlotRect(const QRectF& chartFrame)
{
    return chartFrame.adjusted(0, 0, 0, -chartTimeAxisHeight);
}

void setChartGridPen(QPainter& painter, const QPalette& palette)
{
    QPen pen(withOpacity(secondaryColor(palette), 0.2), 0.5, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
    // Qt counts dashes in pen widths.
    pen.setDashPattern({4 / 0.5, 4 / 0.5});
    painter.setPen(pen);
}

void paintChartTimeAxis(QPainter& painter,
                        const QPalette& palette,
                        const ChartTimeScale& scale,
                        const QRectF& plot,
                        const std::vector<ChartTimeTick>& ticks)
{
    constexpr double tickLength = 4;
    painter.save();
    const QFont font = textStyleFont(TextStyle::caption2);
    const QFontMetricsF metrics(font);
    painter.setFont(font);
    for (const ChartTimeTick& tick : ticks) {
        const std::optional<double> x = scale.position(tick.milliseconds);
        if (!x) {
            continue;
        }
        setChartGridPen(painter, palette);
        painter.drawLine(QPointF(*x, plot.top()), QPointF(*x, plot.bottom()));
        painter.setPen(QPen(withOpacity(secondaryColor(palette), 0.5), 0.5));
        painter.drawLine(QPointF(*x, plot.bottom()), QPointF(*x, plot.bottom() + tickLength));
        const QString label = toQString(tick.label);
        const double width = metrics.horizontalAdvance(label);
        painter.setPen(secondaryColor(palette));
        painter.drawText(QPointF(*x - width / 2, plot.bottom() + tickLength + metrics.ascent() + 1), label);
    }
    painter.restore();
}

} // namespace tavlen::ui
