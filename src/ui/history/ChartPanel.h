#pragma once

#ifndef Q_MOC_RUN
#include "ChartSeries.h"
#endif

#include <QWidget>

#include <memory>

class QLabel;
class QVBoxLayout;

namespace tavlen::ui {

class ChartIssueStrip;
class ChartNumberChart;
class ChartTextChart;

// The card of one field: its title (with "No longer tracked" when the workflow dropped it), then the number lane,
// the text lane and the missing-readings strip as the series has them. A new snapshot builds the two lanes
// afresh (the hovered reading with them) and keeps the strip.
class ChartPanel : public QWidget
{
    Q_OBJECT

public:
    explicit ChartPanel(const ChartSeries& series, QWidget* parent = nullptr);

    const ChartSeries& series() const { return *m_series; }

    ChartNumberChart* numberChart() const { return m_numberChart; }

    ChartTextChart* textChart() const { return m_textChart; }

    ChartIssueStrip* issueStrip() const { return m_issueStrip; }

    void setSeries(const ChartSeries& series);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void buildLanes();

    std::shared_ptr<const ChartSeries> m_series;
    QVBoxLayout* m_column;
    QLabel* m_title;
    QLabel* m_badge;
    ChartNumberChart* m_numberChart = nullptr;
    ChartTextChart* m_textChart = nullptr;
    ChartIssueStrip* m_issueStrip = nullptr;
};

} // namespace tavlen::ui
