#include "MonitorWorkspace.h"

#include "MainThread.h"
#include "ModelSettings.h"
#include "MonitorChangesDraft.h"
#include "MonitorEditorSession.h"
#include "MonitorListRead.h"
#include "MonitorRepository.h"
#include "StepsSession.h"
#include "WorkspaceLog.h"
#include "WorkspaceStepsStore.h"

#include <QPointer>

#include <algorithm>
#include <exception>
#include <set>
#include <utility>

namespace tavlen {

namespace {

std::set<Uuid> idsOf(const std::vector<Monitor>& monitors)
{
    std::set<Uuid> ids;
    for (const Monitor& monitor : monitors) {
        ids.insert(monitor.id);
    }
    return ids;
}

bool lists(const std::vector<Monitor>& monitors, const Uuid& id)
{
    return std::any_of(monitors.begin(), monitors.end(), [&id](const Monitor& monitor) { return monitor.id == id; });
}

} // namespace

MonitorWorkspace::MonitorWorkspace(std::shared_ptr<MonitorRepository> repository,
                                   std::shared_ptr<WorkspaceStepsStore> stepsStore,
                                   std::shared_ptr<ModelSettings> models)
    : m_repository(std::move(repository))
    , m_stepsStore(std::move(stepsStore))
    , m_models(std::move(models))
    , m_summaryRequest(Uuid::random())
{
    Q_ASSERT(m_repository);
    if (m_stepsStore) {
        m_stepsStore->setMonitorCheckUnavailableReason(
            [self = QPointer<MonitorWorkspace>(this)](const Uuid& monitorID) -> std::optional<std::string> {
                return self ? self->runBlockedReason(monitorID) : std::nullopt;
            });
    }
}

MonitorWorkspace::~MonitorWorkspace() = default;

void MonitorWorkspace::start()
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (m_hasStarted) {
        return;
    }
    m_hasStarted = true;
    load();
}

void MonitorWorkspace::load()
{
    TAVLEN_ASSERT_MAIN_THREAD();
    // A second load while one runs would end the first one's busy period early and apply two lists in turn.
    if (isBusy()) {
        return;
    }
    setIsBusy(true);
    setLoadState(LoadState::loading());
    std::shared_ptr<MonitorEditorSession> openEditor = editor();
    // Not bound to the workspace: the load checks after every wait whether the workspace still exists.
    m_operation.emplace([self = QPointer<MonitorWorkspace>(this),
                         openEditor = std::move(openEditor)](std::stop_token) -> QCoro::Task<void> {
        if (self) {
            return self->runLoad(openEditor);
        }
        return []() -> QCoro::Task<void> { co_return; }();
    });
}

QCoro::Task<void> MonitorWorkspace::runLoad(std::shared_ptr<MonitorEditorSession> editor)
{
    const QPointer<MonitorWorkspace> self(this);
    const std::shared_ptr<MonitorRepository> repository = m_repository;
    const std::shared_ptr<WorkspaceStepsStore> stepsStore = m_stepsStore;
    if (const std::shared_ptr<ModelSettings> models = m_models) {
        // Never fails: the model settings keep their own error, and the list is read all the same.
        auto loadingModels = models->load();
        co_await std::move(loadingModels);
        if (!self) {
            co_return;
        }
    }

    auto reading = MonitorListRead::from(repository, "Reading the monitors");
    MonitorListRead read = co_await std::move(reading);
    if (!self) {
        co_return;
    }
    if (read.error) {
        setLoadState(LoadState::failed(*read.error));
        if (editor) {
            editor->setSaveError(*read.error);
        }
        setIsBusy(false);
        co_return;
    }
    const std::vector<Monitor>& monitors = read.monitors;

    applyLoadedList(monitors);
    if (stepsStore) {
        // One at a time, in list order: each reconciles its own session with what was stored.
        for (const Monitor& monitor : monitors) {
            const std::shared_ptr<StepsSession> session = stepsStore->session(monitor.id);
            if (session && session->needsReconciliation()) {
                auto reloading = stepsStore->reloadSteps(monitor.id);
                co_await std::move(reloading);
                if (!self) {
                    co_return;
                }
            }
        }
    }
    auto refreshing = refreshSidebarSummaries();
    co_await std::move(refreshing);
    if (!self) {
        co_return;
    }
    if (editor) {
        editor->setSaveError(std::nullopt);
    }
    setIsBusy(false);
}

void MonitorWorkspace::applyLoadedList(const std::vector<Monitor>& monitors)
{
    // Without suspension, and the drafts first: whoever observes the list or the ready state finds every listed
    // monitor's draft.
    syncChangeDrafts(monitors, true);
    setMonitors(monitors);
    if (m_stepsStore) {
        m_stepsStore->retainMonitors(idsOf(monitors));
    }
    if (monitors.empty()) {
        setSelection(std::nullopt);
    } else if (!selection() || !lists(monitors, *selection())) {
        setSelection(monitors.front().id);
    }
    setLoadState(LoadState::ready());
    notifySchedulesChanged();
    setActionError(std::nullopt);
}

void MonitorWorkspace::applyMonitor(const Monitor& monitor)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    // The drafts first, as in a full load.
    std::vector<Monitor> updated = monitors();
    const auto listed = std::find_if(
        updated.begin(), updated.end(), [&monitor](const Monitor& known) { return known.id == monitor.id; });
    if (listed == updated.end()) {
        updated.push_back(monitor);
    } else {
        *listed = monitor;
    }
    syncChangeDrafts(updated, false);
    setMonitorsChangedInPlace(std::move(updated));
    if (m_stepsStore) {
        m_stepsStore->retainMonitors(idsOf(monitors()));
    }
    notifySchedulesChanged();
}

void MonitorWorkspace::syncChangeDrafts(const std::vector<Monitor>& monitors, bool isReload)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    const std::set<Uuid> ids = idsOf(monitors);
    ChangeDrafts kept;
    for (const auto& [id, draft] : changeDrafts()) {
        if (ids.contains(id)) {
            kept.emplace(id, draft);
        }
    }
    setChangeDrafts(std::move(kept));
    std::erase_if(m_chartPresets, [&ids](const auto& entry) { return !ids.contains(entry.first); });
    for (const Monitor& monitor : monitors) {
        if (const std::shared_ptr<MonitorChangesDraft> draft = changeDraft(monitor.id)) {
            draft->update(monitor, isReload);
        } else {
            putChangeDraft(monitor.id, std::make_shared<MonitorChangesDraft>(monitor));
        }
    }
}

void MonitorWorkspace::select(std::optional<Uuid> monitorID)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (monitorID == selection()) {
        return;
    }
    if (!m_allowNavigation) {
        setSelection(monitorID);
        return;
    }
    TaskHandle<void>([self = QPointer<MonitorWorkspace>(this), allow = m_allowNavigation, monitorID](
                         std::stop_token) -> QCoro::Task<void> {
        auto asking = allow();
        const bool allowed = co_await std::move(asking);
        if (!self || !allowed) {
            co_return;
        }
        if (!monitorID) {
            self->setSelection(std::nullopt);
        } else if (lists(self->monitors(), *monitorID)) {
            self->setSelection(monitorID);
        }
    });
}

QCoro::Task<void> MonitorWorkspace::refreshSidebarSummaries(std::stop_token stop)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    const QPointer<MonitorWorkspace> self(this);
    const Uuid request = Uuid::random();
    m_summaryRequest = request;
    const std::shared_ptr<MonitorRepository> repository = m_repository;
    SidebarSummaries summaries;
    std::exception_ptr failure;
    try {
        auto reading = repository->sidebarSummaries(stop);
        summaries = co_await std::move(reading);
    } catch (...) {
        failure = std::current_exception();
    }
    // A cancelled refresh, or one overtaken by a later refresh or a deletion, stores nothing.
    if (!self || stop.stop_requested() || m_summaryRequest != request) {
        co_return;
    }
    if (failure) {
        const MonitorStoreError error = MonitorStoreError::from(failure);
        qCWarning(workspaceLog) << "Reading the sidebar summaries failed:" << error.what();
        setSidebarError(error);
        co_return;
    }
    const std::set<Uuid> listed = idsOf(monitors());
    std::erase_if(summaries, [&listed](const auto& entry) { return !listed.contains(entry.first); });
    setSidebarSummaries(std::move(summaries));
    setSidebarError(std::nullopt);
}

ChartPreset MonitorWorkspace::chartPreset(const Uuid& monitorID) const
{
    const auto found = m_chartPresets.find(monitorID);
    return found == m_chartPresets.end() ? ChartPreset::all : found->second;
}

void MonitorWorkspace::recordChartPreset(ChartPreset preset, const Uuid& monitorID)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (lists(monitors(), monitorID)) {
        m_chartPresets.insert_or_assign(monitorID, preset);
    }
}

std::function<void(ChartPreset)> MonitorWorkspace::chartPresetRecorder(const Uuid& monitorID)
{
    return [self = QPointer<MonitorWorkspace>(this), monitorID](ChartPreset preset) {
        if (self) {
            self->recordChartPreset(preset, monitorID);
        }
    };
}

void MonitorWorkspace::renewSummaryRequest()
{
    m_summaryRequest = Uuid::random();
}

void MonitorWorkspace::notifySchedulesChanged() const
{
    if (m_onSchedulesChanged) {
        m_onSchedulesChanged();
    }
}

} // namespace tavlen
