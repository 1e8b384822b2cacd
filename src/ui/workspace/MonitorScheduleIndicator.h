#pragma once

// moc cannot parse the C++20 standard headers these pull in; it needs none of them.
#ifndef Q_MOC_RUN
#include "Date.h"
#include "Monitor.h"
#include "ScheduleCalculator.h"
#include "ScheduleState.h"
#endif

#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QGraphicsOpacityEffect;
class QPropertyAnimation;

namespace tavlen::ui {

// The tooltip: disabled, enabled without a runtime state or without a next occurrence, else "Next check at " and
// the due time (abbreviated date, shortened time), even one already past.
QString scheduleIndicatorHelpText(const Monitor& monitor,
                                  const std::optional<ScheduleState>& state,
                                  const ScheduleCalculator& calculator,
                                  Date now);

// An open eye for an enabled saved schedule, a closed one otherwise; the tooltip is computed when asked for, with
// the clock and zone of that moment.
class MonitorScheduleIndicator : public QWidget
{
    Q_OBJECT

public:
    enum class Size
    {
        sidebar,
        detail
    };

    MonitorScheduleIndicator(Monitor monitor,
                             std::optional<ScheduleState> state,
                             Size size,
                             QWidget* parent = nullptr,
                             std::function<Date()> now = {});

    bool isScheduleEnabled() const;
    QString helpText() const;

    void setMonitor(const Monitor& monitor);
    void setScheduleState(std::optional<ScheduleState> state);

protected:
    bool event(QEvent* event) override;

private:
    void showImage(bool animated);

    Monitor m_monitor;
    std::optional<ScheduleState> m_state;
    Size m_size;
    std::function<Date()> m_now;
    QLabel* m_image;
    QGraphicsOpacityEffect* m_fade;
    QPropertyAnimation* m_fadeAnimation;
};

} // namespace tavlen::ui
