#include "ModelSettings.h"
#include "SQLiteModelRepository.h"
#include "StepsSession.h"
#include "WorkspaceTestFixture.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace tavlen::test {
namespace {

class MonitorWorkspaceLoadTest : public WorkspaceTest
{};

TEST_F(MonitorWorkspaceLoadTest, startRunsOneLoadThatMakesTheWorkspaceReady)
{
    const Monitor first = addMonitor("First");
    const Monitor second = addMonitor("Second");
    int schedulesChanged = 0;
    m_workspace->setOnSchedulesChanged([&schedulesChanged] { ++schedulesChanged; });
    m_workspace->setActionError(MonitorStoreError::busy());
    EXPECT_EQ(m_workspace->loadState(), WorkspaceLoadState::loading());

    m_repository->monitorsGate.close();
    m_workspace->start();
    m_workspace->start();
    EXPECT_TRUE(m_workspace->isBusy());
    m_repository->monitorsGate.open();
    waitForOperation();

    EXPECT_EQ(m_repository->monitorReads, 1);
    EXPECT_EQ(m_workspace->loadState(), WorkspaceLoadState::ready());
    EXPECT_FALSE(m_workspace->isBusy());
    EXPECT_EQ(idsOf(m_workspace->monitors()), (std::vector<Uuid>{first.id, second.id}));
    EXPECT_EQ(m_workspace->selection(), first.id);
    EXPECT_EQ(m_workspace->selectedMonitor(), first);
    ASSERT_EQ(m_workspace->changeDrafts().size(), 2U);
    EXPECT_EQ(m_workspace->changeDraft(second.id)->name(), "Second");
    EXPECT_EQ(m_workspace->sidebarSummaries().size(), 2U);
    EXPECT_EQ(m_workspace->sidebarError(), std::nullopt);
    EXPECT_EQ(m_workspace->actionError(), std::nullopt);
    EXPECT_EQ(schedulesChanged, 1);
    ASSERT_EQ(m_stepsStore->retained.size(), 1U);
    EXPECT_EQ(m_stepsStore->retained[0], (std::set<Uuid>{first.id, second.id}));
}

TEST_F(MonitorWorkspaceLoadTest, theModelsAreLoadedBeforeEveryReadOfTheListAndTheirFailureStaysWithThem)
{
    addMonitor("Prices");
    const Uuid defaultModel = insertModel("gpt-4o");
    execute("UPDATE app_settings SET default_model_id = '" + defaultModel.lowercaseString() + "'");
    auto models = std::make_shared<ModelSettings>(std::make_shared<SQLiteModelRepository>(m_database), nullptr);
    m_workspace = std::make_unique<MonitorWorkspace>(m_repository, m_stepsStore, models);
    m_repository->monitorsGate.close();
    m_workspace->load();
    ASSERT_TRUE(waitUntil([&] { return m_repository->monitorsGate.arrived() == 1; }));
    EXPECT_FALSE(models->isLoading());
    EXPECT_EQ(models->error(), std::nullopt);
    EXPECT_EQ(models->registry().models.size(), 1U);
    m_repository->monitorsGate.open();
    waitForOperation();

    insertModel("gpt-4o-mini");
    load();
    EXPECT_EQ(models->registry().models.size(), 2U);

    execute("ALTER TABLE configured_models RENAME TO hidden_models");
    load();
    EXPECT_TRUE(models->error().has_value());
    EXPECT_EQ(models->registry().models.size(), 2U);
    EXPECT_EQ(m_workspace->loadState(), WorkspaceLoadState::ready());
    EXPECT_EQ(m_repository->monitorReads, 3);
}

TEST_F(MonitorWorkspaceLoadTest, aSecondLoadWhileOneRunsStartsNothing)
{
    addMonitor("First");
    QSignalSpy busySpy(m_workspace.get(), &MonitorWorkspaceState::isBusyChanged);
    m_repository->monitorsGate.close();
    m_workspace->load();
    ASSERT_TRUE(waitUntil([&] { return m_repository->monitorsGate.arrived() == 1; }));

    m_workspace->load();
    m_repository->monitorsGate.open();
    waitForOperation();

    EXPECT_EQ(m_repository->monitorReads, 1);
    EXPECT_EQ(m_repository->summaryReads, 1);
    EXPECT_FALSE(m_workspace->isBusy());
    EXPECT_EQ(busySpy.count(), 2); // one busy period
}

TEST_F(MonitorWorkspaceLoadTest, aFailedLoadKeepsWhatWasShownUntilARetrySucceeds)
{
    const Monitor monitor = addMonitor("Prices");
    breakMonitorList(monitor);
    auto editor = std::make_shared<MonitorEditorSession>();
    m_workspace->setEditor(editor);

    load();
    ASSERT_EQ(m_workspace->loadState().kind(), WorkspaceLoadState::Kind::failed);
    const MonitorStoreError failure = *m_workspace->loadState().error();
    EXPECT_EQ(failure, MonitorStoreError::invalidStoredData());
    EXPECT_EQ(editor->saveError(), failure);
    EXPECT_FALSE(m_workspace->isBusy());
    EXPECT_TRUE(m_workspace->monitors().empty());
    EXPECT_EQ(m_workspace->selection(), std::nullopt);
    EXPECT_TRUE(m_workspace->changeDrafts().empty());
    EXPECT_EQ(m_repository->summaryReads, 0);

    execute("UPDATE monitors SET schedule_json = '" + ScheduleRule::defaultRule().encodeStored() + "'");
    load();
    EXPECT_EQ(m_workspace->loadState(), WorkspaceLoadState::ready());
    EXPECT_EQ(editor->saveError(), std::nullopt);
    EXPECT_EQ(idsOf(m_workspace->monitors()), std::vector<Uuid>{monitor.id});
    EXPECT_EQ(m_workspace->selection(), monitor.id);
    EXPECT_EQ(m_workspace->changeDrafts().size(), 1U);
    EXPECT_EQ(m_workspace->sidebarSummaries().size(), 1U);
}

TEST_F(MonitorWorkspaceLoadTest, anEmptyWorkspaceIsReadyWithoutSelectionOrDrafts)
{
    m_workspace->select(Uuid::random());
    load();
    EXPECT_EQ(m_workspace->loadState(), WorkspaceLoadState::ready());
    EXPECT_EQ(m_workspace->selection(), std::nullopt);
    EXPECT_TRUE(m_workspace->changeDrafts().empty());
    EXPECT_TRUE(m_workspace->sidebarSummaries().empty());
}

TEST_F(MonitorWorkspaceLoadTest, aReloadKeepsTheSelectedMonitorAndItsEditedDraft)
{
    const Monitor first = addMonitor("First");
    const Monitor second = addMonitor("Second");
    const Monitor third = addMonitor("Third");
    load();
    m_workspace->select(second.id);
    const std::shared_ptr<MonitorChangesDraft> edited = m_workspace->changeDraft(second.id);
    edited->setName("Second, renamed");

    finish(m_storedMonitors.reorder({third.id, second.id, first.id}));
    finish(m_storedMonitors.deleteMonitor(first.id));
    load();
    EXPECT_EQ(idsOf(m_workspace->monitors()), (std::vector<Uuid>{third.id, second.id}));
    EXPECT_EQ(m_workspace->selection(), second.id);
    EXPECT_EQ(m_workspace->changeDraft(second.id), edited);
    EXPECT_EQ(edited->name(), "Second, renamed");
    EXPECT_EQ(m_workspace->changeDraft(first.id), nullptr);
    EXPECT_EQ(m_workspace->changeDrafts().size(), 2U);

    finish(m_storedMonitors.deleteMonitor(second.id));
    load();
    EXPECT_EQ(m_workspace->selection(), third.id);
}

TEST_F(MonitorWorkspaceLoadTest, chartRangesAreRememberedForListedMonitorsOnly)
{
    const Monitor kept = addMonitor("Kept");
    const Monitor deleted = addMonitor("Deleted");
    load();
    EXPECT_EQ(m_workspace->chartPreset(kept.id), ChartPreset::all);
    const std::function<void(ChartPreset)> recordKept = m_workspace->chartPresetRecorder(kept.id);
    recordKept(ChartPreset::week);
    m_workspace->recordChartPreset(ChartPreset::day, deleted.id);
    m_workspace->recordChartPreset(ChartPreset::year, Uuid::random());
    EXPECT_EQ(m_workspace->chartPresets().size(), 2U);
    EXPECT_EQ(m_workspace->chartPreset(kept.id), ChartPreset::week);

    finish(m_storedMonitors.deleteMonitor(deleted.id));
    load();
    EXPECT_EQ(m_workspace->chartPresets(), (std::map<Uuid, ChartPreset>{{kept.id, ChartPreset::week}}));
    m_workspace->recordChartPreset(ChartPreset::month, deleted.id);
    EXPECT_EQ(m_workspace->chartPreset(deleted.id), ChartPreset::all);

    m_workspace.reset();
    recordKept(ChartPreset::sixHours); // the workspace is gone: nothing happens
}

TEST_F(MonitorWorkspaceLoadTest, sessionsInDoubtAreReconciledOneAfterAnotherBeforeTheSummaries)
{
    const Monitor first = addMonitor("First");
    const Monitor second = addMonitor("Second");
    const Monitor third = addMonitor("Third");
    for (const Monitor& monitor : {third, first}) {
        auto session = std::make_shared<StepsSession>();
        session->setNeedsReconciliation(true);
        m_stepsStore->sessions[monitor.id] = session;
    }
    m_stepsStore->sessions[second.id] = std::make_shared<StepsSession>();
    m_stepsStore->reloadGate.close();
    m_repository->summariesGate.close();

    m_workspace->load();
    ASSERT_TRUE(waitUntil([&] { return m_stepsStore->reloads.size() == 1; }));
    EXPECT_EQ(m_workspace->loadState(), WorkspaceLoadState::ready());
    EXPECT_EQ(m_workspace->changeDrafts().size(), 3U);
    EXPECT_TRUE(m_workspace->isBusy());
    EXPECT_EQ(m_repository->summaryReads, 0);

    m_stepsStore->reloadGate.release(0);
    ASSERT_TRUE(waitUntil([&] { return m_stepsStore->reloads.size() == 2; }));
    EXPECT_EQ(m_stepsStore->finishedReloads, 1);
    EXPECT_EQ(m_stepsStore->reloads, (std::vector<Uuid>{first.id, third.id}));
    EXPECT_EQ(m_repository->summaryReads, 0);

    m_stepsStore->reloadGate.release(1);
    ASSERT_TRUE(waitUntil([&] { return m_repository->summariesGate.arrived() == 1; }));
    EXPECT_TRUE(m_workspace->isBusy());
    m_repository->summariesGate.open();
    waitForOperation();
    EXPECT_FALSE(m_workspace->isBusy());
    EXPECT_EQ(m_workspace->sidebarSummaries().size(), 3U);
}

TEST_F(MonitorWorkspaceLoadTest, applyingAStoredMonitorReplacesItInPlaceOrAppendsIt)
{
    const Monitor first = addMonitor("First");
    const Monitor second = addMonitor("Second");
    load();
    m_workspace->select(second.id);
    int schedulesChanged = 0;
    m_workspace->setOnSchedulesChanged([&schedulesChanged] { ++schedulesChanged; });
    const std::shared_ptr<MonitorChangesDraft> firstDraft = m_workspace->changeDraft(first.id);
    QSignalSpy monitorsSpy(m_workspace.get(), &MonitorWorkspaceState::monitorsChanged);

    Monitor renamed = first;
    renamed.name = "First, renamed";
    renamed.version = 2;
    m_workspace->applyMonitor(renamed);
    EXPECT_EQ(idsOf(m_workspace->monitors()), (std::vector<Uuid>{first.id, second.id}));
    EXPECT_EQ(m_workspace->monitors()[0].name, "First, renamed");
    EXPECT_EQ(m_workspace->selection(), second.id);
    EXPECT_EQ(m_workspace->changeDraft(first.id), firstDraft);
    EXPECT_EQ(firstDraft->name(), "First, renamed"); // unedited, so it follows storage
    EXPECT_EQ(firstDraft->expectedVersion(), 2);

    m_workspace->applyMonitor(renamed); // the same value again is still a write of an element
    const Monitor created = addMonitor("Created");
    m_workspace->applyMonitor(created);
    EXPECT_EQ(idsOf(m_workspace->monitors()), (std::vector<Uuid>{first.id, second.id, created.id}));
    EXPECT_EQ(m_workspace->changeDrafts().size(), 3U);
    EXPECT_EQ(m_workspace->selection(), second.id);
    EXPECT_EQ(monitorsSpy.count(), 3);
    EXPECT_EQ(schedulesChanged, 3);
    EXPECT_EQ(m_stepsStore->retained.back(), (std::set<Uuid>{first.id, second.id, created.id}));
    EXPECT_EQ(m_workspace->loadState(), WorkspaceLoadState::ready());
}

TEST_F(MonitorWorkspaceLoadTest, selectingPassesTheLeaveCheck)
{
    const Monitor first = addMonitor("First");
    const Monitor second = addMonitor("Second");
    load();
    int asked = 0;
    int answered = 0;
    bool answer = false;
    CallGate prompt;
    m_workspace->setAllowNavigation([&]() -> QCoro::Task<bool> {
        ++asked;
        auto waiting = prompt.pass();
        co_await std::move(waiting);
        ++answered;
        co_return answer;
    });

    m_workspace->select(first.id);
    EXPECT_EQ(asked, 0); // already selected

    m_workspace->select(second.id);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(m_workspace->selection(), first.id);

    answer = true;
    m_workspace->select(std::nullopt);
    EXPECT_EQ(m_workspace->selection(), std::nullopt);

    // Approved only after the monitor is gone: the selection stays.
    prompt.close();
    m_workspace->select(second.id);
    finish(m_storedMonitors.deleteMonitor(second.id));
    load();
    prompt.open();
    ASSERT_TRUE(waitUntil([&] { return answered == 3; }));
    EXPECT_EQ(m_workspace->selection(), first.id);
}

TEST_F(MonitorWorkspaceLoadTest, withoutALeaveCheckAnyIdIsSelectedAtOnce)
{
    load();
    const Uuid unknown = Uuid::random();
    m_workspace->select(unknown);
    EXPECT_EQ(m_workspace->selection(), unknown);
    EXPECT_EQ(m_workspace->selectedMonitor(), std::nullopt);
}

TEST_F(MonitorWorkspaceLoadTest, trackedPropertiesReportOnlyChangesExceptDraftsAndEditor)
{
    QSignalSpy loadSpy(m_workspace.get(), &MonitorWorkspaceState::loadStateChanged);
    QSignalSpy draftsSpy(m_workspace.get(), &MonitorWorkspaceState::changeDraftsChanged);
    QSignalSpy editorSpy(m_workspace.get(), &MonitorWorkspaceState::editorChanged);
    QSignalSpy selectionSpy(m_workspace.get(), &MonitorWorkspaceState::selectionChanged);
    QSignalSpy errorSpy(m_workspace.get(), &MonitorWorkspaceState::actionErrorChanged);

    m_workspace->setLoadState(WorkspaceLoadState::loading());
    m_workspace->setLoadState(WorkspaceLoadState::failed(MonitorStoreError::validation("One.")));
    m_workspace->setLoadState(WorkspaceLoadState::failed(MonitorStoreError::validation("Two.")));
    m_workspace->setLoadState(WorkspaceLoadState::failed(MonitorStoreError::storage()));
    m_workspace->setLoadState(WorkspaceLoadState::failed(MonitorStoreError::storage()));
    EXPECT_EQ(loadSpy.count(), 3);

    m_workspace->setChangeDrafts({});
    m_workspace->setEditor(nullptr);
    m_workspace->setSelection(std::nullopt);
    m_workspace->setActionError(std::nullopt);
    m_workspace->setActionError(MonitorStoreError::staleEdit());
    m_workspace->setActionError(MonitorStoreError::staleEdit());
    EXPECT_EQ(draftsSpy.count(), 1);
    EXPECT_EQ(editorSpy.count(), 1);
    EXPECT_EQ(selectionSpy.count(), 0);
    EXPECT_EQ(errorSpy.count(), 1);
}

} // namespace
} // namespace tavlen::test
