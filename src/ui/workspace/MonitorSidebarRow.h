#pragma once

// moc cannot parse the C++20 standard headers these pull in; it needs none of them.
#ifndef Q_MOC_RUN
#include "Monitor.h"
#include "MonitorScheduleFacts.h"
#endif

#include <QPoint>
#include <QWidget>

#include <memory>

class QMimeData;

namespace tavlen {
class MonitorWorkspace;
class StepsStore;
} // namespace tavlen

namespace tavlen::ui {

class ElidedLabel;
class MonitorScheduleIndicator;
class MonitorStatusIndicator;

// One monitor in the sidebar: its schedule indicator, its name, a line about its page and its status. A click
// anywhere in the row asks the workspace to select the monitor; a drag carries the monitor's id for reordering
// while the workspace allows it.
class MonitorSidebarRow : public QWidget
{
    Q_OBJECT

public:
    MonitorSidebarRow(Monitor monitor,
                      MonitorWorkspace& workspace,
                      StepsStore& stepsStore,
                      MonitorScheduleFacts facts,
                      QWidget* parent = nullptr);

    const Monitor& monitor() const { return m_monitor; }

    // The row's last measured width (200 until it is first laid out); the drag preview has it.
    int contentWidth() const { return m_contentWidth; }

    ElidedLabel* nameLabel() const { return m_name; }

    ElidedLabel* pageLabel() const { return m_page; }

    void setMonitor(const Monitor& monitor);
    void setScheduleFacts(const MonitorScheduleFacts& facts);
    // The selected row draws its texts in the selection's text colour.
    void setHighlighted(bool highlighted);

    // What a drag of the row carries: the payload while reordering is allowed, else nothing.
    std::unique_ptr<QMimeData> makeDragData() const;
    // The row's content on a rounded card of the window colour, contentWidth wide plus its margins.
    QPixmap dragPreview();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void refreshPageLine();
    void startDrag();

    Monitor m_monitor;
    MonitorWorkspace& m_workspace;
    StepsStore& m_store;
    int m_contentWidth = 200;
    bool m_highlighted = false;
    std::optional<QPoint> m_pressPosition;
    MonitorScheduleIndicator* m_schedule;
    ElidedLabel* m_name;
    ElidedLabel* m_page;
    MonitorStatusIndicator* m_status;
};

} // namespace tavlen::ui
