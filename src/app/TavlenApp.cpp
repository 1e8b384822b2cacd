#include "TavlenApp.h"

#include "AppUpdater.h"
#include "BrowserBridgeResources.h"
#include "BrowserClient.h"
#include "BrowserConfiguration.h"
#include "BrowserConnectionDirectory.h"
#include "BrowserRegistration.h"
#include "CloudHTTPTransport.h"
#include "CloudModelClient.h"
#include "InfoDictionary.h"
#include "KeepAwakeSettings.h"
#include "LoginItemSettings.h"
#include "MainAppLoginItemService.h"
#include "MainBundle.h"
#include "ModelSettings.h"
#include "MonitorDatabase.h"
#include "MonitorWorkspace.h"
#include "OllamaHTTPTransport.h"
#include "OpenAIHTTPTransport.h"
#include "ProviderKeySettings.h"
#include "SQLiteModelRepository.h"
#include "SQLiteMonitorRepository.h"
#include "StepsCaptureService.h"
#include "StepsNavigation.h"
#include "StepsStore.h"
#include "TavlenAppParts.h"
#include "UserDirectories.h"

namespace tavlen {

namespace {

std::string identifierInInfo(const nlohmann::json& info)
{
    const auto found = info.find("CFBundleIdentifier");
    if (found == info.end() || !found->is_string() || found->get<std::string>().empty()) {
        return std::string(fallbackBundleIdentifier);
    }
    return found->get<std::string>();
}

// The viewport new Open page steps start with; a broken installation leaves the default, and the browser client
// reports the broken resources itself when it starts.
BrowserCaptureSettings defaultCaptureSettings(const BrowserBridgeResources& resources)
{
    return resources.isLoaded() ? resources.configuration().captureSettings : BrowserConfiguration{}.captureSettings;
}

QCoro::Task<bool> allowNavigationThrough(QPointer<StepsNavigation> navigation)
{
    if (!navigation) {
        co_return true;
    }
    co_return co_await navigation->allowLeaving(false);
}

} // namespace

TavlenApp::TavlenApp(TavlenAppEnvironment environment)
    : m_appDelegate(std::make_unique<AppDelegate>())
    , m_environment(std::move(environment))
{
    if (m_environment.bundleDirectory.empty()) {
        m_environment.bundleDirectory = mainBundleDirectory();
    }
    const nlohmann::json info = readInfoDictionary(m_environment.bundleDirectory);
    m_makeUpdater = [info, factory = m_environment.updaterController] {
        return std::make_unique<AppUpdater>(info, AppUpdater::isTestingEnvironment(), factory);
    };
    m_bundleIdentifier = identifierInInfo(info);
    m_database = std::make_unique<MonitorDatabase>(MonitorDatabase::defaultFileURL(m_bundleIdentifier));
    m_parts = std::make_unique<TavlenAppParts>(*m_database, m_environment.providers);

    // The program's one load of the bridge's resources.
    const BrowserBridgeResources resources = BrowserBridgeResources::load();
    BrowserClient::Options browserOptions;
    browserOptions.directory = browserConnectionDirectory(m_bundleIdentifier);
    // The host registered for the browsers is the one of this bundle, whose identifier names the directory above.
    browserOptions.registrations =
        BrowserRegistration::standard(m_environment.bundleDirectory, resources.configuration());
    m_browser =
        std::make_unique<BrowserClient>(m_parts->profileRepository, systemTime(), resources, std::move(browserOptions));

    using Provider = ModelSelection::Provider;
    m_credentials.push_back(std::make_unique<ProviderKeySettings>(
        Provider::openAI, std::make_shared<SQLiteProviderKeyStore>(*m_database, Provider::openAI)));
    m_credentials.push_back(
        std::make_unique<ProviderKeySettings>(Provider::anthropic, m_parts->keyStores[Provider::anthropic]));
    m_credentials.push_back(
        std::make_unique<ProviderKeySettings>(Provider::gemini, m_parts->keyStores[Provider::gemini]));

    auto cloudTransport = std::make_shared<CloudHTTPTransport>(m_environment.providers.cloud);
    ModelDiscovery::KeyStores discoveryStores{
        {Provider::openAI, std::make_shared<SQLiteProviderKeyStore>(*m_database, Provider::openAI)},
        {Provider::anthropic, m_parts->keyStores[Provider::anthropic]},
        {Provider::gemini, m_parts->keyStores[Provider::gemini]},
    };
    m_modelSettings = std::make_shared<ModelSettings>(
        std::make_shared<SQLiteModelRepository>(*m_database),
        std::make_unique<ModelDiscovery>(std::move(discoveryStores),
                                         std::make_shared<CloudModelClient>(cloudTransport),
                                         std::make_shared<OllamaClient>(std::make_shared<OllamaHTTPTransport>()),
                                         std::make_shared<OpenAIHTTPTransport>(m_environment.providers.openAI)));

    m_capture = std::make_unique<StepsCaptureService>(*m_browser);
    m_stepsStore = std::make_shared<StepsStore>(m_parts->stepsRepository,
                                                *m_capture,
                                                m_parts->router.get(),
                                                m_parts->checkRepository,
                                                m_parts->chartReader,
                                                defaultCaptureSettings(resources));
    m_stepsNavigation = std::make_unique<StepsNavigation>(m_stepsStore);
    m_workspace = std::make_unique<MonitorWorkspace>(
        std::make_shared<SQLiteMonitorRepository>(*m_database, systemTime()), m_stepsStore, m_modelSettings);
    // The steps store reads the configured models from the same settings the workspace and the settings see.
    m_stepsStore->setModels(*m_modelSettings);
    m_stepsNavigation->setWorkspace(m_workspace.get());

    m_scheduler = std::make_unique<MonitorScheduler>(
        m_parts->scheduleRepository,
        *m_stepsStore,
        [workspace = QPointer<MonitorWorkspace>(m_workspace.get())] {
            return workspace && workspace->loadState().isReady();
        },
        m_environment.scheduler);
    installHooks();

    const auto defaultsFile = userConfigDirectory() / m_bundleIdentifier / "Tavlen.ini";
    m_defaults = std::make_unique<QSettings>(QString::fromStdString(defaultsFile.string()), QSettings::IniFormat);
    m_loginItem = std::make_unique<LoginItemSettings>(
        std::make_unique<MainAppLoginItemService>(MainAppLoginItemService::defaultEntryFile(m_bundleIdentifier),
                                                  m_environment.bundleDirectory / "bin" / "tavlen"));
    m_keepAwake = std::make_unique<KeepAwakeSettings>(
        *m_defaults, std::make_unique<SystemKeepAwakeService>(m_environment.systemBus));

    m_appDelegate->keepAwake = m_keepAwake.get();
    m_appDelegate->browser = m_browser.get();
    m_appDelegate->stepsNavigation = m_stepsNavigation.get();
    m_appDelegate->scheduler = m_scheduler.get();
    m_appDelegate->startServices = [this] { startServices(); };
    m_appDelegate->refreshLoginItem = [loginItem = m_loginItem.get()] { loginItem->refresh(); };
}

TavlenApp::~TavlenApp() = default;

std::string TavlenApp::bundleIdentifierOf(const std::filesystem::path& bundleDirectory)
{
    return identifierInInfo(readInfoDictionary(bundleDirectory));
}

void TavlenApp::installHooks()
{
    for (const auto& credentials : m_credentials) {
        const auto provider = credentials->provider();
        credentials->onWillRemove = [store = std::weak_ptr<StepsStore>(m_stepsStore), provider] {
            if (const auto steps = store.lock()) {
                steps->cancelReadingForProvider(provider);
            }
        };
        credentials->onCredentialsWillChange = [models = std::weak_ptr<ModelSettings>(m_modelSettings), provider] {
            if (const auto settings = models.lock(); settings && settings->discovery().provider() == provider) {
                settings->discovery().reset();
            }
        };
        credentials->onCredentialsChanged = [models = std::weak_ptr<ModelSettings>(m_modelSettings), provider] {
            if (const auto settings = models.lock();
                settings && settings->discovery().provider() == provider && settings->discovery().isPresented()) {
                settings->discovery().refresh();
            }
        };
    }
    m_workspace->setAllowNavigation([navigation = QPointer<StepsNavigation>(m_stepsNavigation.get())] {
        return allowNavigationThrough(navigation);
    });
    m_workspace->setOnSchedulesChanged([scheduler = QPointer<MonitorScheduler>(m_scheduler.get())] {
        if (scheduler) {
            scheduler->requestCheck();
        }
    });
}

AppUpdater& TavlenApp::updater()
{
    if (!m_updater) {
        m_updater = m_makeUpdater();
    }
    return *m_updater;
}

void TavlenApp::startServices()
{
    m_keepAwake->setEnabled(m_keepAwake->storedPreference());
    m_workspace->start();
    if (!m_browser->isStarted() && !m_browser->isStopping()) {
        m_browser->start();
    }
    m_scheduler->start();
}

} // namespace tavlen
