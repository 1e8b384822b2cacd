#include "WorkspaceEditingFixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tavlen::test {
namespace {

class MonitorSetChangesTest : public WorkspaceEditingTest
{
protected:
    void finishReorder()
    {
        ASSERT_TRUE(m_workspace->reorderOperation());
        finish(m_workspace->reorderOperation()->result());
    }
};

TEST_F(MonitorSetChangesTest, aCreateThatFailedIsRetriedWithTheSameProposedID)
{
    const Monitor existing = addMonitor("Existing");
    load();
    m_workspace->beginNewMonitor();
    const std::shared_ptr<MonitorEditorSession> editor = m_workspace->editor();
    ASSERT_TRUE(editor);
    EXPECT_FALSE(m_workspace->canStartAction());

    editor->setName(" \n ");
    m_workspace->saveNewMonitor();
    EXPECT_FALSE(m_workspace->isBusy());
    EXPECT_EQ(m_scripted->creates, 0);

    editor->setName("  Prices ");
    m_scripted->failNextWrite = MonitorStoreError::busy();
    m_workspace->saveNewMonitor();
    waitForOperation();
    EXPECT_EQ(editor->saveError(), MonitorStoreError::busy());
    EXPECT_EQ(m_workspace->editor(), editor);
    EXPECT_TRUE(m_workspace->canSaveNewMonitor());
    EXPECT_EQ(m_workspace->loadState(), WorkspaceLoadState::ready());

    m_workspace->saveNewMonitor();
    waitForOperation();
    EXPECT_EQ(m_scripted->creates, 2);
    const Monitor created = stored(Monitor{editor->proposedMonitorID(), "", 1, {}, 0});
    EXPECT_EQ(created.name, "Prices");
    EXPECT_EQ(m_workspace->monitors().size(), 2U);
    EXPECT_NE(std::find(m_workspace->monitors().begin(), m_workspace->monitors().end(), created),
              m_workspace->monitors().end());
    EXPECT_EQ(m_workspace->selection(), created.id);
    EXPECT_EQ(m_workspace->editor(), nullptr);
    EXPECT_TRUE(draftOf(created));
    EXPECT_TRUE(draftOf(existing));
    EXPECT_FALSE(m_workspace->isBusy());
}

TEST_F(MonitorSetChangesTest, aCreateStoredEarlierUnderAnotherNameKeepsCreateDisabled)
{
    load();
    m_workspace->beginNewMonitor();
    const std::shared_ptr<MonitorEditorSession> editor = m_workspace->editor();
    finish(m_storedMonitors.create(editor->proposedMonitorID(), "Old name"));
    editor->setName("New name");

    m_workspace->saveNewMonitor();
    waitForOperation();
    EXPECT_EQ(editor->saveError(), MonitorStoreError::staleEdit());
    EXPECT_FALSE(m_workspace->canSaveNewMonitor());
    EXPECT_EQ(m_workspace->loadState(), WorkspaceLoadState::ready());
    EXPECT_TRUE(m_workspace->monitors().empty());
}

TEST_F(MonitorSetChangesTest, deletingTheSelectedMonitorEndsItsRunningCheckBeforeTheRowGoes)
{
    const Monitor first = addMonitor("First");
    const Monitor second = addMonitor("Second");
    const Monitor third = addMonitor("Third");
    int schedulesChanged = 0;
    m_workspace->setOnSchedulesChanged([&schedulesChanged] { ++schedulesChanged; });
    load();
    loadSession(second);
    m_workspace->chartPresetRecorder(second.id)(ChartPreset::week);
    m_workspace->select(second.id);
    m_workspace->setDeletionCandidate(second);
    m_store->runCheck(second.id);
    m_store->checkEndGate.close();
    m_store->events.clear();

    m_workspace->deleteMonitor(second.id);
    EXPECT_EQ(m_workspace->deletionCandidate(), std::nullopt);
    EXPECT_TRUE(m_workspace->isBusy());
    ASSERT_TRUE(waitUntil([&] { return m_store->events.size() == 2; }));
    EXPECT_EQ(count("monitors"), 3); // the check has not ended yet
    EXPECT_TRUE(m_store->deleting.contains(second.id));
    m_store->checkEndGate.open();
    waitForOperation();

    EXPECT_EQ(m_store->events,
              (std::vector<std::string>{"begin deleting", "check cancelled", "check ended", "end deleting"}));
    EXPECT_EQ(count("monitors"), 2);
    EXPECT_EQ(m_workspace->monitors(), (std::vector<Monitor>{first, third}));
    EXPECT_EQ(m_workspace->selection(), third.id);
    EXPECT_EQ(draftOf(second), nullptr);
    EXPECT_EQ(m_workspace->changeDrafts().size(), 2U);
    EXPECT_FALSE(m_workspace->sidebarSummaries().contains(second.id));
    EXPECT_FALSE(m_workspace->chartPresets().contains(second.id));
    EXPECT_EQ(m_store->session(second.id), nullptr);
    EXPECT_EQ(schedulesChanged, 2);
    EXPECT_FALSE(m_workspace->isBusy());

    m_workspace->deleteMonitor(third.id);
    waitForOperation();
    EXPECT_EQ(m_workspace->selection(), first.id); // the new last one
    m_workspace->deleteMonitor(first.id);
    waitForOperation();
    EXPECT_EQ(m_workspace->selection(), std::nullopt);
}

TEST_F(MonitorSetChangesTest, deletingAMonitorGoneFromStorageFailsTheWorkspaceAndKeepsItListed)
{
    const Monitor monitor = addMonitor("Prices");
    load();
    finish(m_storedMonitors.deleteMonitor(monitor.id));

    m_workspace->deleteMonitor(monitor.id);
    waitForOperation();
    EXPECT_EQ(m_workspace->actionError(), MonitorStoreError::missingMonitor());
    EXPECT_EQ(m_workspace->loadState(), WorkspaceLoadState::failed(MonitorStoreError::missingMonitor()));
    EXPECT_EQ(m_workspace->monitors(), std::vector<Monitor>{monitor});
    EXPECT_TRUE(m_store->deleting.empty());
    EXPECT_FALSE(m_workspace->isBusy());
}

TEST_F(MonitorSetChangesTest, movedOrderPlacesTheMovedBlockAtTheDestination)
{
    const Uuid a = Uuid::random();
    const Uuid b = Uuid::random();
    const Uuid c = Uuid::random();
    const std::vector<Uuid> ids{a, b, c};

    const struct
    {
        const char* name;
        std::set<std::size_t> offsets;
        std::size_t destination;
        std::optional<std::vector<Uuid>> order;
    } rows[] = {
        {"the first onto itself", {0}, 1, ids},
        {"the first after the second", {0}, 2, std::vector<Uuid>{b, a, c}},
        {"the first to the end", {0}, 3, std::vector<Uuid>{b, c, a}},
        {"the last to the front", {2}, 0, std::vector<Uuid>{c, a, b}},
        {"two apart into the middle", {0, 2}, 1, std::vector<Uuid>{a, c, b}},
        {"nothing moved", {}, 1, std::nullopt},
        {"an offset equal to the count", {3}, 0, std::nullopt},
        {"a destination beyond the end", {0}, 4, std::nullopt},
    };

    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(MonitorReordering::movedOrder(ids, row.offsets, row.destination), row.order);
    }
}

TEST_F(MonitorSetChangesTest, aReorderShowsAtOnceAndAFailedWritePutsTheOrderBack)
{
    const Monitor first = addMonitor("First");
    const Monitor second = addMonitor("Second");
    const Monitor third = addMonitor("Third");
    load();

    m_workspace->moveMonitors({0}, 1);
    EXPECT_FALSE(m_workspace->reorderOperation());
    m_workspace->setActionError(MonitorStoreError::busy());
    m_scripted->reorderGate.close();
    m_workspace->moveMonitors({0}, 2);
    EXPECT_EQ(m_workspace->monitors(), (std::vector<Monitor>{second, first, third}));
    EXPECT_EQ(m_workspace->actionError(), std::nullopt);
    EXPECT_TRUE(m_workspace->isBusy());
    m_scripted->reorderGate.open();
    finishReorder();
    EXPECT_FALSE(m_workspace->isBusy());
    EXPECT_FALSE(m_workspace->reorderOperation());
    load();
    EXPECT_EQ(m_workspace->monitors(), (std::vector<Monitor>{second, first, third}));

    m_scripted->failNextWrite = MonitorStoreError::storage();
    m_workspace->moveMonitors({2}, 0);
    finishReorder();
    EXPECT_EQ(m_workspace->monitors(), (std::vector<Monitor>{second, first, third}));
    EXPECT_EQ(m_workspace->actionError(), MonitorStoreError::storage());
    EXPECT_EQ(m_workspace->loadState(), WorkspaceLoadState::failed(MonitorStoreError::storage()));
    EXPECT_FALSE(m_workspace->isBusy());
}

TEST_F(MonitorSetChangesTest, noReorderWhileALeaveDecisionRuns)
{
    addMonitor("First");
    addMonitor("Second");
    load();
    m_store->navigating = true;
    m_workspace->moveMonitors({0}, 2);
    EXPECT_FALSE(m_workspace->reorderOperation());
    EXPECT_FALSE(m_workspace->isBusy());
}

} // namespace
} // namespace tavlen::test
