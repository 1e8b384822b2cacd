#include "EndToEndTest.h"

#include "BoundedWait.h"
#include "BrowserConfiguration.h"
#include "BrowserRegistration.h"
#include "OpenAIHTTPTransport.h"

#include <QCoreApplication>

namespace tavlen::test {

namespace {

using namespace std::chrono_literals;

std::int64_t millisecondsNow()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace

EndToEndTest::EndToEndTest()
    : m_openAI(std::make_shared<OpenAIReadingService>(
          std::make_shared<SQLiteProviderKeyStore>(m_database, ModelSelection::Provider::openAI),
          std::make_shared<OpenAIHTTPTransport>(QUrl(QString::fromStdString(m_model.baseURL())))))
    , m_router(m_openAI, nullptr, nullptr, nullptr)
{
    BrowserClient::Options options;
    options.directory = m_bundle.rendezvous();
    // The standard registrations under this test's XDG_CONFIG_HOME: one of them is Chromium's profile folder.
    options.registrations = BrowserRegistration::standard(m_bundle.root(), BrowserConfiguration::load());
    m_client = std::make_unique<BrowserClient>(m_profiles, systemTime(), std::move(options));
    m_browser = std::make_unique<TimedStepsBrowser>(*m_client);
    m_capture = std::make_unique<StepsCaptureService>(*m_browser);
    m_executor = std::make_unique<StepsExecutor>(*m_capture, &m_reader);
}

EndToEndTest::~EndToEndTest()
{
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
            std::cerr << "The extension's log:\n" << m_chromium->extensionLog();
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

void EndToEndTest::useSteps(const std::string& url,
                            const BrowserCaptureSettings& viewport,
                            std::optional<BrowserRect> region)
{
    auto page = std::make_shared<StepsOpenPageSettings>(
        url, viewport.width, viewport.height, viewport.mobile, viewport.deviceScaleFactor);
    page->setScreenshotDelayText("0");
    m_openPage = Step::create(Uuid::random(), StepContent::openPage(page), std::nullopt, std::nullopt);
    StepsDraft::StepList steps{m_openPage};
    m_read.reset();
    if (region) {
        auto settings = std::make_shared<StepsReadSettings>(Uuid::random());
        settings->setFields({{m_priceField, "Price", ReadingFieldType::number, "The price in euros"}});
        m_read = Step::create(Uuid::random(), StepContent::read(settings), m_openPage->id(), region);
        steps.push_back(m_read);
    }
    m_draft = StepsDraft::create(std::move(steps));
}

QCoro::Task<StepsExecutionResult> EndToEndTest::start(StepsExecutionMode mode)
{
    StepsExecutor::Models models;
    if (m_read) {
        models.emplace(m_read->id(), ModelSelection{ModelSelection::Provider::openAI, "gpt-4o", std::nullopt});
    }
    return m_executor->execute(
        m_draft, mode, std::move(models), [] { return true; }, [] { return true; });
}

StepsExecutionResult EndToEndTest::run(StepsExecutionMode mode, std::chrono::seconds bound)
{
    return waitBounded(start(mode), bound);
}

MonitorCheckRecord EndToEndTest::record(const StepsExecutionResult& result, Clock::time_point started)
{
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count();
    const std::int64_t completedAt = millisecondsNow();
    MonitorCheck check{Uuid::random(),
                       m_monitor,
                       completedAt - elapsed,
                       completedAt,
                       result.failure,
                       static_cast<std::int64_t>(result.readings.size()),
                       result.usage.steps.empty() ? std::nullopt : std::optional(result.usage)};
    MonitorCheckRecord made{check, result.readings};
    finish(m_checks.recordResult(made));
    return made;
}

std::shared_ptr<const StepsScreenshot> EndToEndTest::screenshot() const
{
    return std::dynamic_pointer_cast<const StepsScreenshot>(m_openPage->content().openPageSettings()->screenshot());
}

void EndToEndTest::expectExtensionLog(bool condition, const char* what) const
{
    EXPECT_TRUE(condition) << what << "\nThe extension's log:\n" << (m_chromium ? m_chromium->extensionLog() : "");
}

} // namespace tavlen::test
