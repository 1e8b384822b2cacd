#include "StepsNavigation.h"

#include "MainThread.h"
#include "MonitorChangesDraft.h"
#include "MonitorWorkspace.h"
#include "StepsSession.h"
#include "WorkspaceStepsStore.h"

#include <algorithm>
#include <string>
#include <utility>

namespace tavlen {

namespace {

QCoro::Task<bool> answer(bool value)
{
    co_return value;
}

} // namespace

StepsNavigation::StepsNavigation(std::shared_ptr<WorkspaceStepsStore> store)
    : m_store(std::move(store))
{
    TAVLEN_ASSERT_MAIN_THREAD();
    Q_ASSERT(m_store);
}

StepsNavigation::~StepsNavigation() = default;

void StepsNavigation::setWorkspace(MonitorWorkspace* workspace)
{
    if (m_workspace.data() != workspace) {
        m_workspace = workspace;
        Q_EMIT workspaceChanged();
    }
}

void StepsNavigation::attachPromptView(QObject& view)
{
    m_promptViews.emplace_back(&view);
    connect(&view, &QObject::destroyed, this, &StepsNavigation::handlePromptViewGone);
}

bool StepsNavigation::hasPromptView()
{
    std::erase_if(m_promptViews, [](const QPointer<QObject>& view) { return view.isNull(); });
    return !m_promptViews.empty();
}

void StepsNavigation::handlePromptViewGone(QObject* view)
{
    std::erase_if(m_promptViews, [view](const QPointer<QObject>& known) { return known.isNull() || known == view; });
    if (m_promptViews.empty() && m_decision) {
        decide(Choice::cancel);
    }
}

QCoro::Task<bool> StepsNavigation::allowLeaving(bool forTermination)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    // The decision already running is not disturbed.
    if (m_isBusy) {
        return answer(false);
    }
    setIsBusy(true);
    m_store->setIsNavigating(true);
    return decideLeaving(forTermination);
}

QCoro::Task<bool> StepsNavigation::decideLeaving(bool forTermination)
{
    const QPointer<StepsNavigation> self(this);
    const std::shared_ptr<WorkspaceStepsStore> store = m_store;
    bool allowed = true;
    if (const QPointer<MonitorWorkspace> workspace = m_workspace) {
        auto settling = workspace->waitForPendingOperations();
        co_await std::move(settling);
    }
    if (self) {
        auto idling = store->waitUntilIdle(forTermination);
        co_await std::move(idling);
    }
    for (const Uuid& monitorID : self ? candidates() : std::vector<Uuid>{}) {
        if (!self) {
            break;
        }
        if ((!forTermination && store->isRunningSteps(monitorID)) || !hasUnsavedChanges(monitorID)) {
            continue;
        }
        auto asking = ask(monitorID);
        const Choice choice = co_await std::move(asking);
        if (!self || choice == Choice::cancel) {
            allowed = false;
            break;
        }
        auto settling = choice == Choice::save ? save(monitorID) : discard(monitorID);
        if (!co_await std::move(settling)) {
            allowed = false;
            break;
        }
    }
    if (self) {
        setIsBusy(false);
    }
    store->setIsNavigating(false);
    co_return allowed&& self;
}

std::vector<Uuid> StepsNavigation::candidates() const
{
    std::vector<Uuid> ids = m_store->sessionMonitorIDs();
    if (const MonitorWorkspace* workspace = m_workspace.data()) {
        for (const auto& entry : workspace->changeDrafts()) {
            ids.push_back(entry.first);
        }
    }
    std::vector<std::pair<std::string, Uuid>> keyed;
    for (const Uuid& id : ids) {
        keyed.emplace_back(id.uppercaseString(), id);
    }
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    keyed.erase(
        std::unique(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.second == b.second; }),
        keyed.end());
    ids.clear();
    for (const auto& entry : keyed) {
        ids.push_back(entry.second);
    }
    return ids;
}

bool StepsNavigation::hasUnsavedChanges(const Uuid& monitorID) const
{
    if (const MonitorWorkspace* workspace = m_workspace.data()) {
        return workspace->hasUnsavedChanges(monitorID);
    }
    const std::shared_ptr<StepsSession> session = m_store->session(monitorID);
    return session && session->hasUnsavedChanges();
}

QCoro::Task<StepsNavigation::Choice> StepsNavigation::ask(Uuid monitorID)
{
    if (!hasPromptView()) {
        co_return Choice::cancel;
    }
    const Completion<Choice> decision;
    m_decision = decision;
    setPromptMonitorID(monitorID);
    try {
        auto waiting = decision.wait();
        co_return co_await std::move(waiting);
    } catch (const CancelledError&) {
        // The navigation object went away with the prompt open.
        co_return Choice::cancel;
    }
}

QCoro::Task<bool> StepsNavigation::save(Uuid monitorID)
{
    const QPointer<StepsNavigation> self(this);
    bool saved = false;
    if (const QPointer<MonitorWorkspace> workspace = m_workspace) {
        auto saving = workspace->saveChanges(monitorID);
        saved = co_await std::move(saving);
    } else {
        const std::shared_ptr<WorkspaceStepsStore> store = m_store;
        auto saving = store->saveSteps(monitorID, nullptr);
        saved = co_await std::move(saving);
    }
    // A save can end with edits made meanwhile still unsaved.
    co_return saved&& self && !hasUnsavedChanges(monitorID);
}

QCoro::Task<bool> StepsNavigation::discard(Uuid monitorID)
{
    if (const QPointer<MonitorWorkspace> workspace = m_workspace) {
        auto discarding = workspace->discardChanges(monitorID);
        co_return co_await std::move(discarding);
    }
    const std::shared_ptr<WorkspaceStepsStore> store = m_store;
    auto discarding = store->discardChanges(monitorID);
    co_await std::move(discarding);
    co_return true;
}

void StepsNavigation::decide(Choice choice)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    std::optional<Completion<Choice>> pending = std::exchange(m_decision, std::nullopt);
    setPromptMonitorID(std::nullopt);
    if (pending) {
        pending->resume(choice);
    }
}

void StepsNavigation::setIsBusy(bool isBusy)
{
    if (m_isBusy != isBusy) {
        m_isBusy = isBusy;
        Q_EMIT isBusyChanged();
    }
}

void StepsNavigation::setPromptMonitorID(std::optional<Uuid> monitorID)
{
    if (m_promptMonitorID != monitorID) {
        m_promptMonitorID = std::move(monitorID);
        Q_EMIT promptMonitorIDChanged();
    }
}

} // namespace tavlen
