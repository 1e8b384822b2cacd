#pragma once

#ifndef Q_MOC_RUN
#include "Uuid.h"
#endif

#include <QWidget>

#include <memory>

class QLabel;

namespace tavlen {
class MonitorChangesDraft;
class MonitorWorkspace;
class StepsStore;
} // namespace tavlen

namespace tavlen::ui {

class AlertPresenter;
class TavlenButton;

// The draft's last save error with the one way out it allows: none for validation and busy, "Reload saved
// monitor…" (after a confirmation) for a missing or stale monitor, "Retry storage" for the rest. Empty and
// hidden while there is no error.
class MonitorSaveErrorView : public QWidget
{
    Q_OBJECT

public:
    MonitorSaveErrorView(Uuid monitorID,
                         std::shared_ptr<MonitorChangesDraft> draft,
                         MonitorWorkspace& workspace,
                         StepsStore& stepsStore,
                         QWidget* parent = nullptr);

    bool confirmsReload() const { return m_confirmsReload; }

private:
    void refresh();
    void setConfirmsReload(bool confirms);

    Uuid m_monitorID;
    std::shared_ptr<MonitorChangesDraft> m_draft;
    MonitorWorkspace& m_workspace;
    StepsStore& m_store;
    bool m_confirmsReload = false;
    QLabel* m_message;
    TavlenButton* m_reload;
    TavlenButton* m_retry;
    AlertPresenter* m_alert;
};

} // namespace tavlen::ui
