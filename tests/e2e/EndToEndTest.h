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
#include "ScopedEnvironment.h"
#include "StepsCaptureService.h"
#include "StepsDraft.h"
#include "StepsExecutor.h"
#include "StepsScreenshot.h"
#include "TestPages.h"
#include "TimedStepsBrowser.h"
#include "TimedStepsReader.h"
#include "WorkspaceFixture.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace tavlen::test {

// A check's whole road through real parts: Debian's Chromium with the test extension, started headless with its
// user-data directory where the browser client's registration writes the host manifest; the real
// TavlenBrowserHost of a test bundle; the browser client on real time; the capture service and the executor; the
// OpenAI reader behind the reading router, talking to a loopback model server; the check store over a
// workspace file. SetUp waits until Chrome's profile is connected, selected and idle.
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

    // The monitor's workflow: an Open page step at the viewport, and a Read step of one number field "Price"
    // over the region (image pixels) when one is given.
    void useSteps(const std::string& url,
                  const BrowserCaptureSettings& viewport,
                  std::optional<BrowserRect> region = std::nullopt);

    // Runs the workflow in the mode, bounded.
    StepsExecutionResult run(StepsExecutionMode mode, std::chrono::seconds bound = checkBound);
    // Starts the workflow; the test drives the event loop until it ends.
    QCoro::Task<StepsExecutionResult> start(StepsExecutionMode mode);

    // The record a finished check becomes, given to the check store and stored; returns it.
    MonitorCheckRecord record(const StepsExecutionResult& result, Clock::time_point started);

    // The Open page step's screenshot, if any.
    std::shared_ptr<const StepsScreenshot> screenshot() const;

    // Chromium's one profile, as the extension announced it; waits for it.
    std::string waitForProfile();

    BrowserClient& client() { return *m_client; }

    // Fails the test with the extension's log when the condition does not hold.
    void expectExtensionLog(bool condition, const char* what) const;

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
    MonitorCheckStore m_checks{m_checkRepository};

    Uuid m_monitor = insertMonitor("Kitchen prices");
    Uuid m_priceField = Uuid::random();
    std::shared_ptr<Step> m_openPage;
    std::shared_ptr<Step> m_read;
    std::shared_ptr<StepsDraft> m_draft;
};

} // namespace tavlen::test
