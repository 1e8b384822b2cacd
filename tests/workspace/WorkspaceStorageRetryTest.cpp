#include "WorkspaceEditingFixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tavlen::test {
namespace {

class WorkspaceStorageRetryTest : public WorkspaceEditingTest
{
protected:
    bool happened(const std::string& event) const
    {
        return std::find(m_store->events.begin(), m_store->events.end(), event) != m_store->events.end();
    }
};

TEST_F(WorkspaceStorageRetryTest, aRetryAfterAWriteThatReachedStorageAcceptsWhatWasStored)
{
    const Monitor monitor = addMonitor("Prices");
    saveOpenPage(monitor, "https://example.com/a");
    load();
    const std::shared_ptr<StepsSession> session = loadSession(monitor);
    const std::shared_ptr<MonitorChangesDraft> draft = draftOf(monitor);
    draft->setName("Renamed");
    draft->setSchedule(everyQuarterHour());
    editURL(monitor, "https://example.com/b");
    m_scripted->loseNextAnswer = MonitorStoreError::storage();

    EXPECT_FALSE(finish(m_workspace->saveChanges(monitor.id)));
    EXPECT_EQ(draft->saveError(), MonitorStoreError::storage());
    EXPECT_TRUE(session->needsReconciliation());
    EXPECT_FALSE(m_workspace->canSaveChanges(monitor.id));
    EXPECT_FALSE(m_workspace->canEditChanges(monitor.id));
    EXPECT_EQ(m_workspace->monitors().front(), monitor); // the answer was lost

    m_workspace->setActionError(MonitorStoreError::busy());
    finish(m_workspace->retryStorage(monitor.id));
    EXPECT_TRUE(happened("reload"));
    EXPECT_EQ(draft->saveError(), std::nullopt);
    EXPECT_EQ(draft->name(), "Renamed");
    EXPECT_EQ(draft->baseline(), "Renamed");
    EXPECT_EQ(draft->schedule(), everyQuarterHour());
    EXPECT_EQ(draft->attemptedName(), std::nullopt);
    EXPECT_EQ(session->error(), std::nullopt);
    EXPECT_FALSE(session->needsReconciliation());
    EXPECT_EQ(session->version(), 2);
    EXPECT_FALSE(m_workspace->hasUnsavedChanges(monitor.id));
    EXPECT_EQ(m_workspace->monitors().front(), stored(monitor));
    EXPECT_EQ(m_workspace->actionError(), std::nullopt);
    EXPECT_TRUE(m_workspace->canEditChanges(monitor.id));
    EXPECT_FALSE(m_workspace->isBusy());
}

TEST_F(WorkspaceStorageRetryTest, aDiscardRetriesStorageFirstAndStopsWhileTheReadStillFails)
{
    const Monitor first = addMonitor("First");
    const Monitor monitor = addMonitor("Prices");
    load();
    m_workspace->select(monitor.id);
    const std::shared_ptr<MonitorChangesDraft> draft = draftOf(monitor);
    draft->setName("Renamed");
    m_scripted->failNextWrite = MonitorStoreError::storage();
    EXPECT_FALSE(finish(m_workspace->saveChanges(monitor.id)));
    ASSERT_EQ(draft->saveError(), MonitorStoreError::storage());
    EXPECT_EQ(draft->errorTab(), MonitorDetailTab::details);

    m_scripted->failNextRead = MonitorStoreError::invalidStoredData();
    finish(m_storedMonitors.deleteMonitor(first.id));
    EXPECT_FALSE(finish(m_workspace->discardChanges(monitor.id)));
    EXPECT_EQ(draft->saveError(), MonitorStoreError::invalidStoredData());
    EXPECT_EQ(draft->errorTab(), MonitorDetailTab::details);
    EXPECT_EQ(draft->name(), "Renamed");
    EXPECT_EQ(m_workspace->monitors().size(), 2U); // nothing else changed
    EXPECT_EQ(m_workspace->changeActivity(), std::nullopt);
    EXPECT_FALSE(m_workspace->isBusy());

    EXPECT_TRUE(finish(m_workspace->discardChanges(monitor.id)));
    EXPECT_EQ(draft->saveError(), std::nullopt);
    EXPECT_EQ(draft->name(), "Prices");
    EXPECT_EQ(draft->attemptedName(), std::nullopt);
    EXPECT_EQ(m_workspace->monitors(), std::vector<Monitor>{monitor});
    EXPECT_EQ(m_workspace->selection(), monitor.id);
    EXPECT_EQ(m_workspace->changeActivity(), std::nullopt);
}

TEST_F(WorkspaceStorageRetryTest, discardAndReloadFirstEndsTheMonitorsRunningCheck)
{
    const Monitor monitor = addMonitor("Prices");
    saveOpenPage(monitor, "https://example.com/a");
    load();
    loadSession(monitor);
    const std::shared_ptr<MonitorChangesDraft> draft = draftOf(monitor);
    draft->setName("Renamed");
    draft->setSaveError(MonitorStoreError::staleEdit());
    editURL(monitor, "https://example.com/b");
    m_store->runCheck(monitor.id);
    m_store->checkEndGate.close();
    m_store->events.clear();

    auto reloading = m_workspace->discardAndReload(monitor.id);
    ASSERT_TRUE(waitUntil([&] { return happened("check cancelled"); }));
    EXPECT_TRUE(m_workspace->isBusy());
    EXPECT_FALSE(happened("load"));
    m_store->checkEndGate.open();
    finish(std::move(reloading));

    EXPECT_EQ(m_store->events, (std::vector<std::string>{"settle", "check cancelled", "check ended", "load"}));
    EXPECT_NE(draftOf(monitor), draft);
    EXPECT_EQ(draftOf(monitor)->saveError(), std::nullopt);
    EXPECT_FALSE(m_workspace->hasUnsavedChanges(monitor.id));
    EXPECT_EQ(m_store->session(monitor.id)->draft()->steps().front()->content().openPageSettings()->url(),
              "https://example.com/a");
    EXPECT_FALSE(m_workspace->isBusy());
}

TEST_F(WorkspaceStorageRetryTest, discardAndReloadOfAMonitorDeletedElsewhereForgetsIt)
{
    const Monitor first = addMonitor("First");
    const Monitor second = addMonitor("Second");
    load();
    loadSession(second);
    m_workspace->select(second.id);
    draftOf(second)->setName("Renamed");
    finish(m_storedMonitors.deleteMonitor(second.id));
    m_store->events.clear();

    finish(m_workspace->discardAndReload(second.id));
    EXPECT_EQ(m_workspace->monitors(), std::vector<Monitor>{first});
    EXPECT_EQ(draftOf(second), nullptr);
    EXPECT_EQ(m_store->session(second.id), nullptr);
    EXPECT_EQ(m_workspace->selection(), first.id);
    EXPECT_EQ(m_store->events, std::vector<std::string>{"settle"});
    EXPECT_EQ(m_workspace->loadState(), WorkspaceLoadState::ready());
}

TEST_F(WorkspaceStorageRetryTest, aRetryWhileBusyDoesNothing)
{
    const Monitor monitor = addMonitor("Prices");
    load();
    m_workspace->setIsBusy(true);
    const int reads = m_repository->monitorReads;
    finish(m_workspace->retryStorage(monitor.id));
    finish(m_workspace->discardAndReload(monitor.id));
    EXPECT_FALSE(finish(m_workspace->discardChanges(monitor.id)));
    EXPECT_EQ(m_repository->monitorReads, reads);
    EXPECT_TRUE(m_workspace->isBusy());
    EXPECT_TRUE(m_store->events.empty());
}

} // namespace
} // namespace tavlen::test
