#pragma once

// moc cannot parse the C++20 standard headers these pull in; it needs none of them.
#ifndef Q_MOC_RUN
#include "Monitor.h"
#include "MonitorScheduleFacts.h"
#endif

#include <QWidget>

namespace tavlen {
class MonitorWorkspace;
class StepsStore;
} // namespace tavlen

namespace tavlen::ui {

class ElidedLabel;
class MonitorControls;
class MonitorScheduleIndicator;
class MonitorStatusIndicator;

// The top of a monitor's detail: schedule indicator, name and page domain, status, and the check, discard and
// save controls below them.
class MonitorDetailHeader : public QWidget
{
    Q_OBJECT

public:
    MonitorDetailHeader(Monitor monitor,
                        MonitorWorkspace& workspace,
                        StepsStore& stepsStore,
                        MonitorScheduleFacts facts,
                        QWidget* parent = nullptr);

    ElidedLabel* nameLabel() const { return m_name; }

    ElidedLabel* domainLabel() const { return m_domain; }

    MonitorStatusIndicator* statusIndicator() const { return m_status; }

    void setMonitor(const Monitor& monitor);
    void setScheduleFacts(const MonitorScheduleFacts& facts);

private:
    void refreshDomain();

    Monitor m_monitor;
    MonitorWorkspace& m_workspace;
    MonitorScheduleIndicator* m_schedule;
    ElidedLabel* m_name;
    ElidedLabel* m_domain;
    MonitorStatusIndicator* m_status;
    MonitorControls* m_controls;
};

} // namespace tavlen::ui
