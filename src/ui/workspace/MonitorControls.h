#pragma once

// moc cannot parse the C++20 standard headers these pull in; it needs none of them.
#ifndef Q_MOC_RUN
#include "MonitorControlsState.h"
#include "Uuid.h"
#endif

#include <QWidget>

#include <vector>

namespace tavlen {
class MonitorWorkspace;
class StepsStore;
} // namespace tavlen

namespace tavlen::ui {

class AlertPresenter;
class TavlenButton;

// The detail header's buttons: "Check now" (or "Stop" while the monitor runs) and, while the monitor has edits,
// "Discard changes" (after a confirmation) and "Save" (Ctrl+S). Every label, icon, tooltip and enabled state is
// read again from the stores whenever they change; outcomes come back only through them.
class MonitorControls : public QWidget
{
    Q_OBJECT

public:
    MonitorControls(Uuid monitorID, StepsStore& store, MonitorWorkspace& workspace, QWidget* parent = nullptr);

    bool confirmsDiscardChanges() const { return m_confirmsDiscardChanges; }

    // What the check button does when clicked: stop a running execution, else start a manual check when nothing
    // stands in the way.
    void checkOrStop();
    void save();
    void discard();

private:
    void refresh();
    // Follows the monitor's Steps session and its draft as the store replaces them.
    void watchSession();
    void setConfirmsDiscardChanges(bool confirms);

    Uuid m_monitorID;
    StepsStore& m_store;
    MonitorWorkspace& m_workspace;
    bool m_confirmsDiscardChanges = false;
    TavlenButton* m_checkButton;
    TavlenButton* m_discardButton;
    TavlenButton* m_saveButton;
    AlertPresenter* m_discardAlert;
    std::vector<QMetaObject::Connection> m_sessionConnections;
};

} // namespace tavlen::ui
