#pragma once

#include "ChartTimeScale.h"

#include <QRectF>

#include <vector>

class QPainter;
class QPalette;

namespace tavlen::ui {

// The inset on the leading side of every lane, where the number lane writes its value labels.
inline constexpr double chartLeadingInset = 64;

// The height the time axis takes below a plot inside its chart frame: a tick and one line of labels.
inline constexpr double chartTimeAxisHeight = 20;

// The plot of a chart frame: everything above the time axis.
QRectF chartPlotRect(const QRectF& chartFrame);

// Dashed vertical grid lines across the plot at the ticks (0.5 points, 4 on 4 off, secondary at 20 %), a short
// tick below the plot and each tick's label centred under it.
void paintChartTimeAxis(QPainter& painter,
                        const QPalette& palette,
                        const ChartTimeScale& scale,
                        const QRectF& plot,
                        const std::vector<ChartTimeTick>& ticks);

// The grid lines' pen: 0.5 points, dashes of 4 on and 4 off, secondary colour at 20 %.
void setChartGridPen(QPainter& painter, const QPalette& palette);

} // namespace tavlen::ui
