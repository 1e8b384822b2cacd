#pragma once

// moc cannot parse the C++20 standard headers these pull in; it needs none of them.
#ifndef Q_MOC_RUN
#include "Monitor.h"
#include "MonitorStatus.h"
#endif

#include <QWidget>

class QLabel;

namespace tavlen {
class MonitorWorkspace;
class StepsStore;
} // namespace tavlen

namespace tavlen::ui {

class MonitorProgressRing;
class TavlenButton;

// A monitor's status as a symbol, or a ring while a check runs, stops or stores its results; in the detail size a
// caption with the title under the ring, in the sidebar size a Stop button under it. Redraws whenever the
// workspace or the steps store changes what the status is derived from.
class MonitorStatusIndicator : public QWidget
{
    Q_OBJECT

public:
    enum class Size
    {
        sidebar,
        detail
    };

    MonitorStatusIndicator(
        Monitor monitor, MonitorWorkspace& workspace, StepsStore& stepsStore, Size size, QWidget* parent = nullptr);

    MonitorStatus status() const { return m_status; }

    QString title() const;
    QString helpText() const;

    // The parent computes these from the scheduler's snapshot and its own list.
    void setMonitor(const Monitor& monitor);
    void setQueued(bool isQueued);

protected:
    void changeEvent(QEvent* event) override;

private:
    void refresh();
    std::optional<MonitorSidebarSummary> summary() const;

    Monitor m_monitor;
    MonitorWorkspace& m_workspace;
    StepsStore& m_store;
    Size m_size;
    bool m_isQueued = false;
    MonitorStatus m_status = MonitorStatus::notChecked;
    MonitorStatusFacts m_facts;

    QWidget* m_symbolBox;
    QLabel* m_symbol;
    MonitorProgressRing* m_ring;
    QLabel* m_caption = nullptr;
    TavlenButton* m_stopButton = nullptr;
};

} // namespace tavlen::ui
