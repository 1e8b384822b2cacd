#pragma once

#ifndef Q_MOC_RUN
#include "Monitor.h"
#endif

#include <QScrollArea>

#include <memory>

class QLabel;
class QLineEdit;

namespace tavlen {
class MonitorChangesDraft;
class MonitorScheduler;
class MonitorWorkspace;
class StepsStore;
} // namespace tavlen

namespace tavlen::ui {

class ScheduleEditorFields;
class TavlenButton;

// The Schedule tab: the schedule editor over the monitor's changes draft, and notes on what the scheduler and the
// result store say of the monitor. Edits go into the draft only; the header saves or discards them.
class MonitorScheduleView : public QScrollArea
{
    Q_OBJECT

public:
    // Without a scheduler there is no runtime state and no status note.
    MonitorScheduleView(Monitor monitor,
                        std::shared_ptr<MonitorChangesDraft> draft,
                        MonitorWorkspace& workspace,
                        StepsStore& stepsStore,
                        MonitorScheduler* scheduler,
                        QWidget* parent = nullptr);

    ScheduleEditorFields* editor() const { return m_editor; }

    void setMonitor(const Monitor& monitor);

private:
    void refresh();
    void followEditFocus();

    Monitor m_monitor;
    std::shared_ptr<MonitorChangesDraft> m_draft;
    MonitorWorkspace& m_workspace;
    StepsStore& m_store;
    MonitorScheduler* m_scheduler;
    ScheduleEditorFields* m_editor;
    QLabel* m_statusNote;
    QWidget* m_storeError;
    QLabel* m_storeErrorText;
    TavlenButton* m_retryResults;
};

// The Details tab: the monitor's name (into the draft) and the danger zone with "Delete monitor…".
class MonitorDetailsView : public QScrollArea
{
    Q_OBJECT

public:
    MonitorDetailsView(Monitor monitor,
                       std::shared_ptr<MonitorChangesDraft> draft,
                       MonitorWorkspace& workspace,
                       StepsStore& stepsStore,
                       QWidget* parent = nullptr);

    void setMonitor(const Monitor& monitor) { m_monitor = monitor; }

private:
    void refresh();
    void followEditFocus();

    Monitor m_monitor;
    std::shared_ptr<MonitorChangesDraft> m_draft;
    MonitorWorkspace& m_workspace;
    StepsStore& m_store;
    QLineEdit* m_name;
    TavlenButton* m_delete;
};

} // namespace tavlen::ui
