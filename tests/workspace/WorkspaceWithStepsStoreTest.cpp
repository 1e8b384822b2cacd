#include "SQLiteStepsRepository.h"
#include "StepsBrowser.h"
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

} // namespace
} // namespace tavlen::test
