#include "WorkspaceTestFixture.h"

#include <gtest/gtest.h>

namespace tavlen::test {
namespace {

class WorkspaceGatesTest : public WorkspaceTest
{};

TEST_F(WorkspaceGatesTest, actionsStartOnlyWhenReadyIdleAndNothingWaitsForTheUser)
{
    const Monitor monitor = addMonitor("Prices");
    EXPECT_FALSE(m_workspace->canStartAction()); // never loaded

    m_repository->monitorsGate.close();
    m_workspace->load();
    EXPECT_FALSE(m_workspace->canStartAction()); // loading and busy
    m_repository->monitorsGate.open();
    waitForOperation();
    EXPECT_TRUE(m_workspace->canStartAction());

    m_workspace->setEditor(std::make_shared<MonitorEditorSession>());
    EXPECT_FALSE(m_workspace->canStartAction());
    m_workspace->setEditor(nullptr);
    m_workspace->setDeletionCandidate(monitor);
    EXPECT_FALSE(m_workspace->canStartAction());
    m_workspace->setDeletionCandidate(std::nullopt);
    EXPECT_TRUE(m_workspace->canStartAction());

    breakMonitorList(monitor);
    load();
    EXPECT_FALSE(m_workspace->canStartAction()); // failed
}

TEST_F(WorkspaceGatesTest, theRunBlockedReasonComesFromTheWorkspaceFirst)
{
    const Monitor monitor = addMonitor("Prices");
    load();
    const std::shared_ptr<MonitorChangesDraft> draft = m_workspace->changeDraft(monitor.id);
    const std::string storageInSettings = "Resolve the storage error in Settings before running.";
    const std::string saveFirst = "Save monitor changes before running.";
    const std::optional<std::string> none;

    const struct
    {
        const char* name;
        std::optional<MonitorStoreError> error;
        MonitorDetailTab tab;
        bool edited;
        std::optional<std::string> reason;
    } rows[] = {
        {"a clean draft", std::nullopt, MonitorDetailTab::details, false, none},
        {"an edited draft", std::nullopt, MonitorDetailTab::details, true, saveFirst},
        {"a stale edit on the schedule tab",
         MonitorStoreError::staleEdit(),
         MonitorDetailTab::schedule,
         false,
         "Resolve the storage error in Schedule before running."},
        {"a stale edit on the steps tab",
         MonitorStoreError::staleEdit(),
         MonitorDetailTab::steps,
         true,
         storageInSettings},
        {"a storage failure on the details tab",
         MonitorStoreError::storage(),
         MonitorDetailTab::details,
         false,
         storageInSettings},
        {"a missing monitor", MonitorStoreError::missingMonitor(), MonitorDetailTab::history, false, storageInSettings},
        {"steps in an unknown format",
         MonitorStoreError::unsupportedStepsFormat(3),
         MonitorDetailTab::steps,
         false,
         storageInSettings},
        {"an interrupted save", MonitorStoreError::interrupted(), MonitorDetailTab::charts, false, storageInSettings},
        {"an unreadable file",
         MonitorStoreError::invalidStoredData(),
         MonitorDetailTab::details,
         false,
         storageInSettings},
        {"an unknown schema",
         MonitorStoreError::unsupportedSchema(),
         MonitorDetailTab::details,
         false,
         storageInSettings},
        {"a refused name with edits",
         MonitorStoreError::validation("Enter a name."),
         MonitorDetailTab::details,
         true,
         saveFirst},
        {"a busy file with edits", MonitorStoreError::busy(), MonitorDetailTab::schedule, true, saveFirst},
        {"a busy file without edits", MonitorStoreError::busy(), MonitorDetailTab::schedule, false, none},
    };

    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        draft->setSaveError(row.error);
        draft->setErrorTab(row.tab);
        draft->setName(row.edited ? "Edited" : monitor.name);
        EXPECT_EQ(m_workspace->runBlockedReason(monitor.id), row.reason);
        // The steps store asks through the function the workspace installed.
        ASSERT_TRUE(m_stepsStore->unavailableReason);
        EXPECT_EQ(m_stepsStore->unavailableReason(monitor.id), row.reason);
    }
    EXPECT_EQ(m_workspace->runBlockedReason(Uuid::random()), std::nullopt);
}

TEST_F(WorkspaceGatesTest, whileAnOperationRunsEveryMonitorWaitsForIt)
{
    const Monitor monitor = addMonitor("Prices");
    load();
    m_workspace->changeDraft(monitor.id)->setSaveError(MonitorStoreError::storage());
    m_repository->monitorsGate.close();
    m_workspace->load();
    const std::string wait = "Wait for the workspace operation to finish.";
    EXPECT_EQ(m_workspace->runBlockedReason(monitor.id), wait);
    EXPECT_EQ(m_workspace->runBlockedReason(Uuid::random()), wait);
    m_repository->monitorsGate.open();
    waitForOperation();
    EXPECT_EQ(m_workspace->runBlockedReason(Uuid::random()), std::nullopt);
}

TEST_F(WorkspaceGatesTest, theInstalledReasonHoldsTheWorkspaceWeakly)
{
    const Monitor monitor = addMonitor("Prices");
    load();
    m_workspace->changeDraft(monitor.id)->setName("Edited");
    const WorkspaceStepsStore::UnavailableReason reason = m_stepsStore->unavailableReason;
    EXPECT_EQ(reason(monitor.id), "Save monitor changes before running.");
    m_workspace.reset();
    EXPECT_EQ(reason(monitor.id), std::nullopt);
}

} // namespace
} // namespace tavlen::test
