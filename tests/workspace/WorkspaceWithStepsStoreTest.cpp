#include "SQLiteStepsRepository.h"
#include "ScriptedMonitorRepository.h"
#include "StepContent.h"
#include "StepsBrowser.h"
#include "StepsOpenPageSettings.h"
#include "StepsScreenshotCapturing.h"
#include "StepsSession.h"
#include "StepsStore.h"
#include "WorkspaceTestFixture.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tavlen::test {
namespace {

// Capture that is never available: these tests run no step.
class NoCapture final : public StepsScreenshotCapturing, public StepsBrowser
{
public:
    bool capturing() const override { return false; }

    std::optional<std::string> unavailableReason() const override { return "No browser in this test."; }

    const StepsBrowser& browser() const override { return *this; }

    QCoro::Task<std::shared_ptr<const StepsScreenshot>> capture(std::string,
                                                                std::int64_t,
                                                                BrowserCaptureSettings,
                                                                StepsOpenPageSettings&,
                                                                std::function<bool()>,
                                                                std::stop_token) override
    {
        throw std::logic_error("no capture in this test");
    }

    bool isConnected() const override { return false; }

    bool isIdle() const override { return false; }

    std::string connectionState() const override { return "Not connected"; }

    std::optional<std::string> connectionID() const override { return std::nullopt; }

    QCoro::Task<void>
    startSession(std::string, std::string, std::optional<BrowserCaptureSettings>, std::stop_token) override
    {
        throw std::logic_error("no session in this test");
    }

    QCoro::Task<BrowserSnapshot> captureSnapshot(int, std::stop_token) override
    {
        throw std::logic_error("no snapshot in this test");
    }

    QCoro::Task<bool> finishSession(std::string, std::string) override { co_return false; }
};

// The workspace wired to the real steps store over the same workspace file.
class WorkspaceWithStepsStoreTest : public WorkspaceTest
{
protected:
    void SetUp() override { m_workspace = std::make_unique<MonitorWorkspace>(m_repository, m_store); }

    void TearDown() override
    {
        finish(m_store->waitUntilIdle(true));
        // The store goes before the repository and the capture it holds by reference.
        m_workspace.reset();
        m_store.reset();
        WorkspaceTest::TearDown();
    }

    SQLiteStepsRepository m_steps{m_database};
    NoCapture m_capture;
    std::shared_ptr<StepsStore> m_store = std::make_shared<StepsStore>(
        m_steps, m_capture, nullptr, nullptr, nullptr, BrowserCaptureSettings{1280, 800, 1, false});
};

TEST_F(WorkspaceWithStepsStoreTest, theStoreAsksTheWorkspaceFirstWhyACheckCannotStart)
{
    const Monitor monitor = addMonitor("Prices");
    load();
    m_workspace->changeDraft(monitor.id)->setName("Edited");
    EXPECT_EQ(m_store->unavailableReason(monitor.id), "Save monitor changes before running.");
}

TEST_F(WorkspaceWithStepsStoreTest, aLoadReconcilesSessionsInDoubtAndDropsThoseOfMonitorsGone)
{
    const Monitor kept = addMonitor("Kept");
    const Monitor gone = addMonitor("Gone");
    saveOpenPage(kept, "https://shop.example/");
    load();
    finish(m_store->loadSteps(kept.id, false));
    finish(m_store->loadSteps(gone.id, false));
    const std::shared_ptr<StepsSession> session = m_store->session(kept.id);
    ASSERT_TRUE(session);
    ASSERT_TRUE(session->draft());
    session->setError(MonitorStoreError::storage());
    session->setNeedsReconciliation(true);

    finish(m_storedMonitors.deleteMonitor(gone.id));
    load();
    EXPECT_EQ(m_store->session(gone.id), nullptr);
    EXPECT_EQ(m_store->session(kept.id), session);
    EXPECT_FALSE(session->needsReconciliation());
    EXPECT_EQ(session->error(), std::nullopt); // the stored steps are what the session holds
}

// Edits the URL of the Open page step in the monitor's Steps session.
void editURL(StepsStore& store, const Monitor& monitor, std::string url)
{
    store.session(monitor.id)->draft()->steps().front()->content().openPageSettings()->setUrl(std::move(url));
}

ScheduleDraft everyQuarterHour()
{
    ScheduleDraft schedule;
    schedule.intervalPreset = IntervalPreset::fifteenMinutes;
    schedule.scheduleEnabled = true;
    return schedule;
}

TEST_F(WorkspaceWithStepsStoreTest, nameScheduleAndStepsAreSavedTogetherOrNotAtAll)
{
    const Monitor monitor = addMonitor("Prices");
    saveOpenPage(monitor, "https://shop.example/a");
    load();
    finish(m_store->loadSteps(monitor.id, false));
    const std::shared_ptr<StepsSession> session = m_store->session(monitor.id);
    const std::shared_ptr<MonitorChangesDraft> draft = m_workspace->changeDraft(monitor.id);
    draft->setName("Prices EU");
    draft->setSchedule(everyQuarterHour());
    editURL(*m_store, monitor, "https://shop.example/b");

    EXPECT_TRUE(finish(m_workspace->saveChanges(monitor.id)));
    const Monitor saved = finish(m_storedMonitors.monitors()).front();
    EXPECT_EQ(saved.name, "Prices EU");
    EXPECT_EQ(saved.schedule.version, 2);
    EXPECT_EQ(finish(m_steps.savedSteps(monitor.id))->version, 2);
    EXPECT_EQ(session->version(), 2);
    EXPECT_FALSE(m_workspace->hasUnsavedChanges(monitor.id));

    // Another writer saves the Steps: the next combined save stores none of its parts.
    draft->setName("Prices UK");
    draft->setSchedule(ScheduleDraft::fromMonitor(monitor));
    editURL(*m_store, monitor, "https://shop.example/c");
    finish(m_steps.saveSteps(monitor.id, 2, StepsWorkflow{sampleDocument(std::nullopt, {}, "https://other.example")}));
    EXPECT_FALSE(finish(m_workspace->saveChanges(monitor.id)));
    EXPECT_EQ(finish(m_storedMonitors.monitors()).front(), saved);
    EXPECT_EQ(finish(m_steps.savedSteps(monitor.id))->version, 3);
    EXPECT_EQ(draft->saveError(), MonitorStoreError::staleEdit());
    EXPECT_EQ(draft->errorTab(), MonitorDetailTab::schedule);
    EXPECT_EQ(session->error(), MonitorStoreError::staleEdit());
    EXPECT_FALSE(m_workspace->isBusy());
}

TEST_F(WorkspaceWithStepsStoreTest, aDiscardAfterASaveWhoseAnswerWasLostFindsTheSaveStored)
{
    const auto scripted = std::make_shared<ScriptedMonitorRepository>(m_repository);
    m_workspace = std::make_unique<MonitorWorkspace>(scripted, m_store);
    const Monitor monitor = addMonitor("Prices");
    saveOpenPage(monitor, "https://shop.example/a");
    load();
    finish(m_store->loadSteps(monitor.id, false));
    const std::shared_ptr<StepsSession> session = m_store->session(monitor.id);
    const std::shared_ptr<MonitorChangesDraft> draft = m_workspace->changeDraft(monitor.id);
    draft->setName("Prices EU");
    editURL(*m_store, monitor, "https://shop.example/b");
    scripted->loseNextAnswer = MonitorStoreError::storage();

    EXPECT_FALSE(finish(m_workspace->saveChanges(monitor.id)));
    EXPECT_EQ(draft->saveError(), MonitorStoreError::storage());
    EXPECT_TRUE(session->needsReconciliation());
    EXPECT_FALSE(m_workspace->canSaveChanges(monitor.id));

    EXPECT_TRUE(finish(m_workspace->discardChanges(monitor.id)));
    EXPECT_EQ(draft->saveError(), std::nullopt);
    EXPECT_EQ(draft->name(), "Prices EU");
    EXPECT_FALSE(session->needsReconciliation());
    EXPECT_EQ(session->error(), std::nullopt);
    EXPECT_EQ(session->version(), 2);
    EXPECT_FALSE(m_workspace->hasUnsavedChanges(monitor.id));
    EXPECT_EQ(m_workspace->monitors().front().name, "Prices EU");
    EXPECT_EQ(m_workspace->changeActivity(), std::nullopt);
    EXPECT_FALSE(m_workspace->isBusy());
}

} // namespace
} // namespace tavlen::test
