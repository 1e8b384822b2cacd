#include "EndToEndTest.h"

#include "BoundedWait.h"
#include "BrowserConfiguration.h"
#include "BrowserRegistration.h"
#include "ChartSnapshotReader.h"
#include "OpenAIHTTPTransport.h"

#include <QCoreApplication>

namespace tavlen::test {

using namespace std::chrono_literals;

EndToEndTest::EndToEndTest()
    : m_openAI(std::make_shared<OpenAIReadingService>(
          std::make_shared<SQLiteProviderKeyStore>(m_database, ModelSelection::Provider::openAI),
          std::make_shared<OpenAIHTTPTransport>(QUrl(QString::fromStdString(m_model.baseURL())))))
    , m_router(m_openAI, nullptr, nullptr, nullptr)
{
    const BrowserBridgeResources resources = BrowserBridgeResources::load();
    BrowserClient::Options options;
    options.directory = m_bundle.rendezvous();
    // The standard registrations under this test's XDG_CONFIG_HOME: one of them is Chromium's profile folder.
    options.registrations = BrowserRegistration::standard(m_bundle.root(), resources.configuration());
    m_client = std::make_unique<BrowserClient>(m_profiles, systemTime(), resources, std::move(options));
    m_browser = std::make_unique<TimedStepsBrowser>(*m_client);
    m_capture = std::make_unique<StepsCaptureService>(*m_browser);
    m_executor = std::make_unique<StepsExecutor>(*m_capture, &m_reader);
    m_store = std::make_unique<StepsStore>(m_steps,
                                           *m_capture,
                                           &m_reader,
                                           m_checkRepository,
                                           std::make_shared<ChartSnapshotReader>(m_database),
                                           resources.configuration().captureSettings);
    m_store->setModels([id = m_modelID] {
        return std::vector<ConfiguredModel>{
            {id, ModelSelection{ModelSelection::Provider::openAI, "gpt-4o", std::nullopt}}};
    });
}

EndToEndTest::~EndToEndTest()
{
    try {
        waitBounded(m_store->waitUntilIdle(true), checkBound);
    } catch (const std::exception& error) {
        ADD_FAILURE() << "the steps store did not become idle: " << error.what();
    }
    m_store.reset();
    m_executor.reset();
    m_capture.reset();
    m_browser.reset();
    m_client.reset();
    // Lets what the client's tasks posted run (each finds the client gone), then what deleteLater left.
    QCoreApplication::processEvents();
    flushDeferredDeletes();
}

void EndToEndTest::SetUp()
{
    finish(SQLiteProviderKeyStore(m_database, ModelSelection::Provider::openAI).save("sk-end-to-end"));
    m_client->start();
    ASSERT_TRUE(waitUntil([&] { return !m_client->state().isSettingUp(); }, connectBound));
    ASSERT_EQ(m_client->state().connectionError(), std::nullopt);
    const auto userData = m_home / "config" / "chromium";
    ASSERT_TRUE(
        std::filesystem::exists(userData / "NativeMessagingHosts" / (BrowserConfiguration::load().hostName + ".json")))
        << "the registration wrote no manifest for Chromium";
    m_chromium = std::make_unique<ChromiumProcess>(userData, m_home / "chromium.log");

    const std::string profile = waitForProfile();
    ASSERT_FALSE(profile.empty()) << "Chromium's extension never said hello\n" << m_chromium->extensionLog();
    waitBounded(m_client->selectProfile(profile), connectBound);
    ASSERT_TRUE(waitUntil([&] { return !m_client->state().checkingStatus() && m_client->isIdle(); }, connectBound))
        << "the selected profile did not become idle\n"
        << m_chromium->extensionLog();
}

void EndToEndTest::TearDown()
{
    if (m_client) {
        try {
            waitBounded(m_client->stop(), 30s);
        } catch (const std::exception& error) {
            ADD_FAILURE() << "the browser client did not stop: " << error.what();
        }
    }
    if (m_chromium) {
        EXPECT_TRUE(m_chromium->stop()) << "Chromium left processes behind";
        if (HasFailure()) {
            std::cerr << "The extension's log:\n"
                      << m_chromium->extensionLog() << "The end of Chromium's log:\n"
                      << m_chromium->logTail(40);
        }
    }
}

std::string EndToEndTest::waitForProfile()
{
    std::string found;
    waitUntil(
        [&] {
            const auto& profiles = m_client->state().profiles();
            if (profiles.empty()) {
                return false;
            }
            found = profiles.front().id;
            return true;
        },
        connectBound);
    return found;
}

void EndToEndTest::useOpenPage(const std::string& url, const BrowserCaptureSettings& viewport)
{
    auto page = std::make_shared<StepsOpenPageSettings>(
        url, viewport.width, viewport.height, viewport.mobile, viewport.deviceScaleFactor);
    page->setScreenshotDelayText("0");
    m_openPage = Step::create(Uuid::random(), StepContent::openPage(page), std::nullopt, std::nullopt);
    m_draft = StepsDraft::create({m_openPage});
}

StepsExecutionResult EndToEndTest::testOpenPage(std::chrono::seconds bound)
{
    auto running = m_executor->execute(
        m_draft, StepsExecutionMode::testStep(m_openPage->id()), {}, [] { return true; }, [] { return true; });
    return waitBounded(std::move(running), bound);
}

std::shared_ptr<StepsSession>
EndToEndTest::saveSteps(const std::string& url, const BrowserCaptureSettings& viewport, const BrowserRect& region)
{
    const Uuid openPageID = Uuid::random();
    StepsDocument document;
    document.steps.push_back({openPageID, std::nullopt, std::nullopt, StepsDocument::OpenPage{url, 0, viewport}});
    document.steps.push_back(
        {Uuid::random(), openPageID, region, StepsDocument::Read{{numberField("Price", m_priceField)}, m_modelID, 60}});
    finish(m_steps.saveSteps(m_monitor, std::nullopt, StepsWorkflow{document}));
    finish(m_store->loadSteps(m_monitor, false));
    return m_store->state().session(m_monitor);
}

void EndToEndTest::startThroughStore(StepsExecutionMode mode)
{
    const auto blocked = m_store->unavailableReason(m_monitor);
    ASSERT_EQ(blocked, std::nullopt) << *blocked;
    m_store->startExecution(m_monitor, mode);
    ASSERT_TRUE(m_store->state().operation.has_value()) << "the execution did not start";
}

void EndToEndTest::settle(std::chrono::seconds bound)
{
    if (m_store->state().operation) {
        const TaskHandle<void> operation = *m_store->state().operation;
        waitBounded(operation.result(), bound);
    }
}

std::vector<MonitorCheck> EndToEndTest::storedChecks()
{
    return finish(m_store->loadChecks(m_monitor, std::nullopt, 10));
}

std::shared_ptr<const StepsScreenshot> EndToEndTest::screenshot() const
{
    return std::dynamic_pointer_cast<const StepsScreenshot>(m_openPage->content().openPageSettings()->screenshot());
}

} // namespace tavlen::test
