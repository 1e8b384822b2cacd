#pragma once

#ifndef Q_MOC_RUN
#include "ChartTextInterval.h"
#include "ChartWindow.h"
#endif

#include <QWidget>

namespace tavlen::ui {

// The tooltip of a text bar: its start, end and duration (only the start while the end is not yet observed), a
// divider, and the text in large type. 320 points wide and at most 240 high; a taller content scrolls.
class ChartTextTooltip : public QWidget
{
    Q_OBJECT

public:
    ChartTextTooltip(const ChartTextInterval& interval, const ChartWindow& window, QWidget* parent = nullptr);

    QSize sizeHint() const override;
};

// The tooltip of a missing-readings marker: the check's start time on one line.
QWidget* makeChartIssueTooltip(std::int64_t timeMilliseconds);

} // namespace tavlen::ui
