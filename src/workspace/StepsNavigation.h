#pragma once

// moc cannot parse the C++20 standard headers that these pull in; it needs none of them.
#ifndef Q_MOC_RUN
#include "Completion.h"
#include "Uuid.h"
#endif

#include <QCoroTask>
#include <QObject>
#include <QPointer>

#include <memory>
#include <optional>
#include <vector>

namespace tavlen {

class MonitorWorkspace;
class WorkspaceStepsStore;

// Decides whether the user may leave the current editing context (select another monitor, open the new-monitor
// sheet, close the main window, quit) while monitors hold unsaved changes: settles the running work, then asks
// about each such monitor in turn (save, discard or cancel). One decision at a time; while it runs the steps
// store starts no execution and the workspace refuses reordering. The prompt is shown by the views attached
// with attachPromptView; with none attached (or when the last one goes while it is open) the answer is cancel,
// so a decision never waits for a prompt nobody sees. Main thread only.
class StepsNavigation : public QObject
{
    Q_OBJECT

public:
    enum class Choice
    {
        save,
        discard,
        cancel,
    };

    explicit StepsNavigation(std::shared_ptr<WorkspaceStepsStore> store);
    ~StepsNavigation() override;

    // Set once by the application shell; held weakly.
    void setWorkspace(MonitorWorkspace* workspace);

    MonitorWorkspace* workspace() const { return m_workspace.data(); }

    bool isBusy() const { return m_isBusy; }

    // The monitor the open prompt asks about; none while no prompt is open.
    const std::optional<Uuid>& promptMonitorID() const { return m_promptMonitorID; }

    // A view that shows the prompt while promptMonitorID is set; it counts until it is destroyed.
    void attachPromptView(QObject& view);

    // True allows leaving. For termination the running execution, whatever started it, is cancelled and every
    // result write awaited first; otherwise a running step test or manual check is left alone and its monitor not
    // asked about. The first cancel, or a save or discard that fails, answers false; so does a call while a
    // decision runs, at once. Never throws.
    QCoro::Task<bool> allowLeaving(bool forTermination);

    // Answers the open prompt (any dismissal of it is cancel); with none open it only clears promptMonitorID.
    void decide(Choice choice);

Q_SIGNALS:
    void workspaceChanged();
    void isBusyChanged();
    void promptMonitorIDChanged();

private:
    QCoro::Task<bool> decideLeaving(bool forTermination);
    QCoro::Task<Choice> ask(Uuid monitorID);
    std::vector<Uuid> candidates() const;
    bool hasUnsavedChanges(const Uuid& monitorID) const;
    QCoro::Task<bool> save(Uuid monitorID);
    QCoro::Task<bool> discard(Uuid monitorID);
    bool hasPromptView();
    void handlePromptViewGone(QObject* view);
    void setIsBusy(bool isBusy);
    void setPromptMonitorID(std::optional<Uuid> monitorID);

    std::shared_ptr<WorkspaceStepsStore> m_store;
    QPointer<MonitorWorkspace> m_workspace;
    bool m_isBusy = false;
    std::optional<Uuid> m_promptMonitorID;
    std::optional<Completion<Choice>> m_decision;
    std::vector<QPointer<QObject>> m_promptViews;
};

} // namespace tavlen
