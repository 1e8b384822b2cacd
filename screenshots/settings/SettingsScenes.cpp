#include "AIModelSettingsView.h"
#include "AppUpdater.h"
#include "KeepAwakeSettings.h"
#include "KeepAwakeSettingsSection.h"
#include "LoginItemSettings.h"
#include "LoginItemSettingsSection.h"
#include "ModelSettings.h"
#include "MonitorDatabase.h"
#include "OllamaHTTPTransport.h"
#include "OpenAIHTTPTransport.h"
#include "ProviderKeyFields.h"
#include "ProviderKeySettings.h"
#include "SQLiteModelRepository.h"
#include "SQLiteProviderKeyStore.h"
#include "Scene.h"
#include "SettingsLabels.h"
#include "SettingsText.h"
#include "UpdateSettings.h"

#include <QLabel>
#include <QSettings>
#include <QTemporaryDir>
#include <QVBoxLayout>

namespace tavlen::screenshots {
namespace {

using Provider = ModelSelection::Provider;

class FixedLoginItem final : public LoginItemServicing
{
public:
    LoginItemStatus status() const override { return LoginItemStatus::requiresApproval; }

    void registerLoginItem() override {}

    void unregisterLoginItem() override {}

    void openSystemSettings() override {}
};

class IdleKeepAwake final : public KeepAwakeServicing
{
public:
    void setEnabled(bool) override {}
};

// The settings panes over parts of their own: a workspace file in a temporary folder (never read for these
// pictures), two configured models, and system services in fixed states.
class SettingsScene : public QWidget
{
public:
    explicit SettingsScene(const QString& pane)
    {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(20, 20, 20, 20);
        if (pane == QStringLiteral("general")) {
            layout->addWidget(new ui::LoginItemSettingsSection(m_loginItem));
            layout->addWidget(new ui::KeepAwakeSettingsSection(m_keepAwake));
            layout->addWidget(new ui::UpdateSettings(m_updater));
        } else if (pane == QStringLiteral("models")) {
            layout->setContentsMargins(0, 0, 0, 0);
            layout->addWidget(new ui::AIModelSettingsView(m_models));
            return;
        } else {
            layout->addWidget(ui::makeSettingsLabel(
                {}, ui::SettingsLabelKind::secondary, std::nullopt, ui::settings_text::apiKeysNote));
            for (const auto& credentials : m_credentials) {
                layout->addWidget(new ui::ProviderKeyFields(*credentials));
            }
        }
        layout->addStretch(1);
    }

private:
    static ModelRegistry sampleRegistry()
    {
        ModelRegistry registry;
        registry.models = {{Uuid::random(), {Provider::openAI, "gpt-5", std::nullopt}},
                           {Uuid::random(), {Provider::ollama, "llama3.2:latest", "http://localhost:11434"}}};
        registry.defaultID = registry.models[0].id;
        return registry;
    }

    QTemporaryDir m_folder;
    MonitorDatabase m_database{std::filesystem::path(m_folder.filePath(QStringLiteral("Tavlen.sqlite")).toStdString())};
    ModelSettings m_models{
        std::make_shared<SQLiteModelRepository>(m_database),
        std::make_unique<ModelDiscovery>(ModelDiscovery::KeyStores{},
                                         std::make_shared<CloudModelClient>(nullptr),
                                         std::make_shared<OllamaClient>(std::make_shared<OllamaHTTPTransport>()),
                                         std::make_shared<OpenAIHTTPTransport>()),
        sampleRegistry()};
    std::vector<std::unique_ptr<ProviderKeySettings>> m_credentials = [this] {
        std::vector<std::unique_ptr<ProviderKeySettings>> all;
        for (const Provider provider : {Provider::openAI, Provider::anthropic, Provider::gemini}) {
            all.push_back(std::make_unique<ProviderKeySettings>(
                provider, std::make_shared<SQLiteProviderKeyStore>(m_database, provider)));
        }
        return all;
    }();
    LoginItemSettings m_loginItem{std::make_unique<FixedLoginItem>()};
    QSettings m_defaults{m_folder.filePath(QStringLiteral("defaults.ini")), QSettings::IniFormat};
    KeepAwakeSettings m_keepAwake{m_defaults, std::make_unique<IdleKeepAwake>()};
    AppUpdater m_updater{nlohmann::json{{"CFBundleShortVersionString", "0.1.0"}}, false, {}};
};

const SceneRegistrar general{QStringLiteral("settings-general"),
                             [] { return std::make_unique<SettingsScene>(QStringLiteral("general")); },
                             QSize(640, 460)};
const SceneRegistrar models{QStringLiteral("settings-models"),
                            [] { return std::make_unique<SettingsScene>(QStringLiteral("models")); },
                            QSize(640, 620)};
const SceneRegistrar apiKeys{QStringLiteral("settings-api-keys"),
                             [] { return std::make_unique<SettingsScene>(QStringLiteral("apiKeys")); },
                             QSize(640, 620)};

} // namespace
} // namespace tavlen::screenshots
