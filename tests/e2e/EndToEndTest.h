#pragma once

#include "BrowserClient.h"
#include "ChromiumProcess.h"
#include "HostHarness.h"
#include "InMemoryBrowserProfileRepository.h"
#include "ModelServer.h"
#include "MonitorCheckStore.h"
#include "OpenAIReadingService.h"
#include "ReadingRouter.h"
#include "SQLiteMonitorCheckRepository.h"
#include "SQLiteProviderKeyStore.h"
#include "SQLiteStepsRepository.h"
#include "ScopedEnvironment.h"
#include "StepsCaptureService.h"
#include "StepsDraft.h"
#include "StepsExecutor.h"
#include "StepsScreenshot.h"
#include "StepsSession.h"
#include "StepsStore.h"
#include "TestPages.h"
#include "TimedStepsBrowser.h"
#include "TimedStepsReader.h"
#include "WorkspaceFixture.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace tavlen::test {

// A check's whole road through real parts: Debian's Chromium with Tavlen's extension, started headless with its
// user-data directory where the browser client's registration writes the host manifest; the real
// TavlenBrowserHost of a test bundle; the browser client on real time; the capture service and the executor; the
// OpenAI reader behind the reading router, talking to a loopback model server; the steps store with its check
// store over a workspace file. SetUp waits until Chrome's profile is connected, selected and idle. Checks run
// through the steps store as the check control starts them; captures alone through the executor.
class EndToEndTest : public WorkspaceFixture
{
protected:
    using Clock = std::chrono::steady_clock;

    // Generous bounds for slow machines; nothing waits for them unless something is lost.
    static constexpr std::chrono::seconds connectBound{90};
    static constexpr std::chrono::seconds checkBound{120};

    EndToEndTest();
    ~EndToEndTest() override;

    void SetUp() override;
    void TearDown() override;

    // Saves the monitor's workflow (an Open page step at the viewport, then a Read step of one number field
    // "Price" over the region, in image pixels, read by the configured model) and loads it into the steps store.
    std::shared_ptr<StepsSession>
    saveSteps(const std::string& url, const BrowserCaptureSettings& viewport, const BrowserRect& region);
    // Starts an execution of the monitor's loaded steps as the check control does, after asking the steps store
    // why it could not run; the test drives the event loop until it settles.
    void startThroughStore(StepsExecutionMode mode);
    // Waits until the running execution has settled.
    void settle(std::chrono::seconds bound = checkBound);
    // The monitor's stored checks, newest first.
    std::vector<MonitorCheck> storedChecks();

    // A workflow of one Open page step at the viewport, for the executor alone.
    void useOpenPage(const std::string& url, const BrowserCaptureSettings& viewport);
    // Runs that workflow's step test through the executor, bounded.
    StepsExecutionResult testOpenPage(std::chrono::seconds bound = checkBound);

    // The executor's Open page step's screenshot, if any.
    std::shared_ptr<const StepsScreenshot> screenshot() const;

    // Chromium's one profile, as the extension announced it; waits for it.
    std::string waitForProfile();

    BrowserClient& client() { return *m_client; }

    TemporaryDirectory m_home;
    ScopedEnvironment m_homeVariable{"HOME", m_home.path().c_str()};
    ScopedEnvironment m_configVariable{"XDG_CONFIG_HOME", (m_home / "config").c_str()};
    TestBundle m_bundle;
    InMemoryBrowserProfileRepository m_profiles;
    std::unique_ptr<BrowserClient> m_client;
    std::unique_ptr<ChromiumProcess> m_chromium;

    TestPages m_pages;
    ModelServer m_model;
    std::shared_ptr<OpenAIReadingService> m_openAI;
    ReadingRouter m_router;
    TimedStepsReader m_reader{m_router};
    std::unique_ptr<TimedStepsBrowser> m_browser;
    std::unique_ptr<StepsCaptureService> m_capture;
    std::unique_ptr<StepsExecutor> m_executor;
    std::shared_ptr<SQLiteMonitorCheckRepository> m_checkRepository =
        std::make_shared<SQLiteMonitorCheckRepository>(m_database);
    SQLiteStepsRepository m_steps{m_database};
    Uuid m_modelID = insertModel("gpt-4o");
    std::unique_ptr<StepsStore> m_store;

    Uuid m_monitor = insertMonitor("Kitchen prices");
    Uuid m_priceField = Uuid::random();
    std::shared_ptr<Step> m_openPage;
    std::shared_ptr<StepsDraft> m_draft;
};

} // namespace tavlen::test
