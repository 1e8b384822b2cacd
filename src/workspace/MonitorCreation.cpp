#include "MonitorCreation.h"

#include "BlockingSaveError.h"
#include "MainThread.h"
#include "MonitorEditorSession.h"
#include "MonitorRepository.h"
#include "MonitorWorkspace.h"
#include "WorkspaceFailureRule.h"
#include "WorkspaceLog.h"

#include <QPointer>

#include <exception>
#include <memory>

namespace tavlen {

namespace {

void failCreate(MonitorWorkspace& workspace, MonitorEditorSession& editor, std::exception_ptr failure)
{
    const MonitorStoreError error = MonitorStoreError::from(failure);
    qCWarning(workspaceLog) << "Creating a monitor failed:" << error.what();
    editor.setSaveError(error);
    applyWorkspaceFailureRule(workspace, error);
    workspace.setIsBusy(false);
}

QCoro::Task<void>
create(QPointer<MonitorWorkspace> self, std::shared_ptr<MonitorEditorSession> editor, std::string name)
{
    const std::shared_ptr<MonitorRepository> repository = self->sharedRepository();
    Monitor created;
    try {
        auto creating = repository->create(editor->proposedMonitorID(), std::move(name));
        created = co_await std::move(creating);
    } catch (...) {
        if (self) {
            failCreate(*self, *editor, std::current_exception());
        }
        co_return;
    }
    if (!self) {
        co_return;
    }
    std::vector<Monitor> monitors;
    try {
        auto reading = repository->monitors();
        monitors = co_await std::move(reading);
    } catch (...) {
        // The monitor is stored; the next load lists it.
        if (self) {
            failCreate(*self, *editor, std::current_exception());
        }
        co_return;
    }
    if (!self) {
        co_return;
    }
    self->syncChangeDrafts(monitors, false);
    self->setMonitors(std::move(monitors));
    self->applyMonitor(created);
    self->setSelection(created.id);
    self->setEditor(nullptr);
    self->setIsBusy(false);
}

} // namespace

void MonitorCreation::beginNewMonitor()
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (!m_workspace.canStartAction()) {
        return;
    }
    const MonitorWorkspace::AllowNavigation& allow = m_workspace.allowNavigation();
    if (!allow) {
        m_workspace.setEditor(std::make_shared<MonitorEditorSession>());
        return;
    }
    TaskHandle<void>([self = QPointer<MonitorWorkspace>(&m_workspace), allow](std::stop_token) -> QCoro::Task<void> {
        auto asking = allow();
        const bool allowed = co_await std::move(asking);
        if (self && allowed && self->canStartAction()) {
            self->setEditor(std::make_shared<MonitorEditorSession>());
        }
    });
}

bool MonitorCreation::canSaveNewMonitor(const MonitorWorkspace& workspace)
{
    if (!workspace.loadState().isReady() || workspace.isBusy()) {
        return false;
    }
    const std::shared_ptr<MonitorEditorSession>& editor = workspace.editor();
    return !editor || !isBlockingSaveError(editor->saveError());
}

void MonitorCreation::saveNewMonitor()
{
    TAVLEN_ASSERT_MAIN_THREAD();
    const std::shared_ptr<MonitorEditorSession> editor = m_workspace.editor();
    if (!canSaveNewMonitor(m_workspace) || !editor || !editor->hasValidName()) {
        return;
    }
    std::string name = editor->name();
    editor->setSaveError(std::nullopt);
    m_workspace.setIsBusy(true);
    m_workspace.setOperation(
        TaskHandle<void>([self = QPointer<MonitorWorkspace>(&m_workspace), editor, name](
                             std::stop_token) -> QCoro::Task<void> { return create(self, editor, name); }));
}

} // namespace tavlen
