#include "WorkspaceTestFixture.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <stop_token>

namespace tavlen::test {
namespace {

class WorkspaceSummariesTest : public WorkspaceTest
{
protected:
    std::optional<std::string> domainOf(const Monitor& monitor) const
    {
        const auto found = m_workspace->sidebarSummaries().find(monitor.id);
        return found == m_workspace->sidebarSummaries().end() ? std::nullopt : found->second.domain;
    }
};

TEST_F(WorkspaceSummariesTest, onlyTheLatestRefreshStoresItsResultWhateverOrderTheReadsFinishIn)
{
    const Monitor monitor = addMonitor("Prices");
    load();
    m_repository->summariesGate.close();

    auto older = m_workspace->refreshSidebarSummaries(); // reads the monitor without steps
    saveOpenPage(monitor, "https://shop.example/");
    auto newer = m_workspace->refreshSidebarSummaries();
    ASSERT_TRUE(waitUntil([&] { return m_repository->summariesGate.arrived() == 2; }));

    m_repository->summariesGate.release(1);
    finish(std::move(newer));
    EXPECT_EQ(domainOf(monitor), "shop.example");
    m_repository->summariesGate.release(0);
    finish(std::move(older));
    EXPECT_EQ(domainOf(monitor), "shop.example");
    EXPECT_EQ(m_workspace->sidebarSummaries().size(), 1U);
}

TEST_F(WorkspaceSummariesTest, summariesOfMonitorsNoLongerListedAreNotStored)
{
    const Monitor listed = addMonitor("Listed");
    load();
    const Monitor unlisted = addMonitor("Created elsewhere");
    finish(m_workspace->refreshSidebarSummaries());
    EXPECT_EQ(m_workspace->sidebarSummaries().size(), 1U);
    EXPECT_TRUE(m_workspace->sidebarSummaries().contains(listed.id));
    EXPECT_FALSE(m_workspace->sidebarSummaries().contains(unlisted.id));
}

TEST_F(WorkspaceSummariesTest, aFailedRefreshKeepsTheEarlierSummariesUntilTheNextSucceeds)
{
    const Monitor monitor = addMonitor("Prices");
    const Monitor other = addMonitor("Other");
    saveOpenPage(monitor, "https://shop.example/");
    load();
    ASSERT_EQ(domainOf(monitor), "shop.example");
    QSignalSpy summariesSpy(m_workspace.get(), &MonitorWorkspaceState::sidebarSummariesChanged);
    QSignalSpy errorSpy(m_workspace.get(), &MonitorWorkspaceState::sidebarErrorChanged);

    breakSummaries(other);
    finish(m_workspace->refreshSidebarSummaries());
    EXPECT_EQ(m_workspace->sidebarError(), MonitorStoreError::unsupportedStepsFormat(9));
    EXPECT_EQ(domainOf(monitor), "shop.example");
    EXPECT_EQ(m_workspace->loadState(), WorkspaceLoadState::ready());

    repairSummaries();
    finish(m_workspace->refreshSidebarSummaries());
    EXPECT_EQ(m_workspace->sidebarError(), std::nullopt);
    EXPECT_EQ(summariesSpy.count(), 0); // the same summaries as before
    EXPECT_EQ(errorSpy.count(), 2);
}

TEST_F(WorkspaceSummariesTest, aLoadWhoseSummariesFailStillEndsReady)
{
    const Monitor monitor = addMonitor("Prices");
    breakSummaries(monitor);
    load();
    EXPECT_EQ(m_workspace->loadState(), WorkspaceLoadState::ready());
    EXPECT_EQ(m_workspace->sidebarError(), MonitorStoreError::unsupportedStepsFormat(9));
    EXPECT_FALSE(m_workspace->isBusy());
}

TEST_F(WorkspaceSummariesTest, aRefreshStoresNothingOnceStoppedOrOvertakenByADeletion)
{
    const Monitor monitor = addMonitor("Prices");
    load();
    saveOpenPage(monitor, "https://shop.example/");
    m_repository->summariesGate.close();

    std::stop_source stop;
    auto stopped = m_workspace->refreshSidebarSummaries(stop.get_token());
    ASSERT_TRUE(waitUntil([&] { return m_repository->summariesGate.arrived() == 1; }));
    stop.request_stop();
    m_repository->summariesGate.release(0);
    finish(std::move(stopped));
    EXPECT_EQ(domainOf(monitor), std::nullopt);

    auto overtaken = m_workspace->refreshSidebarSummaries();
    ASSERT_TRUE(waitUntil([&] { return m_repository->summariesGate.arrived() == 2; }));
    m_workspace->renewSummaryRequest();
    m_repository->summariesGate.release(1);
    finish(std::move(overtaken));
    EXPECT_EQ(domainOf(monitor), std::nullopt);
}

} // namespace
} // namespace tavlen::test
