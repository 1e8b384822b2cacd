#pragma once

#include "AppDelegate.h"
#include "TavlenAppEnvironment.h"

#include <QSettings>

#include <memory>
#include <string>
#include <vector>

namespace tavlen {

class AppUpdater;
class BrowserClient;
class KeepAwakeSettings;
class LoginItemSettings;
class ModelSettings;
class MonitorDatabase;
class MonitorWorkspace;
class ProviderKeySettings;
class StepsCaptureService;
class StepsNavigation;
class StepsReader;
class StepsStore;
struct TavlenAppParts;

// The composition root: every long-lived object of the process, built once in a fixed order and wired through
// hooks that hold their targets weakly. Building it opens nothing (no folder, no file, no connection); the
// delegate's start of the services does, once launching has finished. Main thread only.
class TavlenApp
{
public:
    explicit TavlenApp(TavlenAppEnvironment environment = {});
    ~TavlenApp();
    TavlenApp(const TavlenApp&) = delete;
    TavlenApp& operator=(const TavlenApp&) = delete;

    // "CFBundleIdentifier" of the bundle's Info.json, or the built-in identifier.
    static std::string bundleIdentifierOf(const std::filesystem::path& bundleDirectory);

    AppDelegate& appDelegate() const { return *m_appDelegate; }

    BrowserClient& browser() const { return *m_browser; }

    MonitorWorkspace& workspace() const { return *m_workspace; }

    ModelSettings& modelSettings() const { return *m_modelSettings; }

    // OpenAI, Anthropic and Gemini, in that order.
    const std::vector<std::unique_ptr<ProviderKeySettings>>& credentials() const { return m_credentials; }

    StepsStore& stepsStore() const { return *m_stepsStore; }

    StepsNavigation& stepsNavigation() const { return *m_stepsNavigation; }

    MonitorScheduler& scheduler() const { return *m_scheduler; }

    LoginItemSettings& loginItem() const { return *m_loginItem; }

    KeepAwakeSettings& keepAwake() const { return *m_keepAwake; }

    // Created the first time it is asked for, then kept.
    AppUpdater& updater();

    MonitorDatabase& database() const { return *m_database; }

    const std::string& bundleIdentifier() const { return m_bundleIdentifier; }

    // The bundle whose Info.json, resources and programs are used.
    const std::filesystem::path& bundleDirectory() const { return m_environment.bundleDirectory; }

    // The start of the services: the stored keep-awake choice, the workspace's first load, the browser client's
    // set-up and the scheduler's passes. Each runs at most once however often this is called.
    void startServices();

private:
    void buildProviders();
    void installHooks();

    std::unique_ptr<AppDelegate> m_appDelegate;
    std::function<std::unique_ptr<AppUpdater>()> m_makeUpdater;
    std::unique_ptr<AppUpdater> m_updater;
    TavlenAppEnvironment m_environment;
    std::string m_bundleIdentifier;
    std::unique_ptr<MonitorDatabase> m_database;
    // The repositories, key stores, readers and clients behind the objects below.
    std::unique_ptr<TavlenAppParts> m_parts;
    std::unique_ptr<BrowserClient> m_browser;
    std::vector<std::unique_ptr<ProviderKeySettings>> m_credentials;
    std::shared_ptr<ModelSettings> m_modelSettings;
    std::unique_ptr<StepsCaptureService> m_capture;
    std::shared_ptr<StepsStore> m_stepsStore;
    std::unique_ptr<StepsNavigation> m_stepsNavigation;
    std::unique_ptr<MonitorWorkspace> m_workspace;
    std::unique_ptr<MonitorScheduler> m_scheduler;
    std::unique_ptr<QSettings> m_defaults;
    std::unique_ptr<LoginItemSettings> m_loginItem;
    std::unique_ptr<KeepAwakeSettings> m_keepAwake;
};

} // namespace tavlen
