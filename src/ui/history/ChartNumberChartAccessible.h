#pragma once

#include <QAccessibleWidget>

#include <unordered_map>

namespace tavlen::ui {

class ChartNumberChart;

// What accessibility tools see of a number lane: the lane with its labels, and below it one element per mark
// (each reading of a drawn line, then each dot) named by its time and value. Areas and the hover marks are
// left out. The elements are made when a tool asks for them and follow the lane's latest drawing.
class ChartNumberChartAccessible : public QAccessibleWidget
{
public:
    explicit ChartNumberChartAccessible(ChartNumberChart* lane);
    ~ChartNumberChartAccessible() override;

    // Makes every number lane's interface one of these; installed once, on the first call.
    static void install();

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;

private:
    ChartNumberChart* lane() const;
    int widgetChildCount() const;

    mutable std::unordered_map<int, QAccessible::Id> m_marks; // by mark index
};

} // namespace tavlen::ui
