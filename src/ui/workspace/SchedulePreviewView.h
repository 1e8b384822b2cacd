#pragma once

#ifndef Q_MOC_RUN
#include "Date.h"
#include "ScheduleRule.h"
#include "ScheduleState.h"
#endif

#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QTimer;

namespace tavlen::ui {

// What an edited schedule will do: its summary, on or off, the next three check times, the weekly count and the
// zone. Recomputed with a calculator of the current zone on every change of its inputs and every 30 seconds while
// visible, so a change of the system's zone shows at the next tick.
class SchedulePreviewView : public QWidget
{
    Q_OBJECT

public:
    explicit SchedulePreviewView(QWidget* parent = nullptr, std::function<Date()> now = {});

    // No rule: the view shows nothing (the editor's "Preview" header stands alone).
    void setSchedule(std::optional<ScheduleRule> rule, bool enabled, std::optional<ScheduleState> state);
    void refresh();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    std::function<Date()> m_now;
    std::optional<ScheduleRule> m_rule;
    bool m_enabled = false;
    std::optional<ScheduleState> m_state;
    QTimer* m_tick;
    QLabel* m_summary;
    QLabel* m_enabledLabel;
    QLabel* m_heading;
    QLabel* m_times;
    QLabel* m_count;
    QLabel* m_zone;
};

} // namespace tavlen::ui
