#pragma once

#include "AppUpdater.h"
#include "KeepAwakeSettings.h"
#include "LoginItemSettings.h"
#include "LoopbackHttpServer.h"
#include "ModelSettings.h"
#include "OllamaHTTPTransport.h"
#include "OpenAIHTTPTransport.h"
#include "ProviderAnswers.h"
#include "ProviderKeySettings.h"
#include "SQLiteModelRepository.h"
#include "SQLiteProviderKeyStore.h"
#include "SettingsView.h"
#include "SystemServiceError.h"
#include "WorkspaceFixture.h"

#include <QSettings>

#include <memory>
#include <optional>
#include <string>

namespace tavlen::test {

// A login item whose status the test sets; a change fails with failure when one is set.
class StandInLoginItem final : public LoginItemServicing
{
public:
    LoginItemStatus status() const override { return current; }

    void registerLoginItem() override { change(LoginItemStatus::enabled); }

    void unregisterLoginItem() override { change(LoginItemStatus::notRegistered); }

    void openSystemSettings() override { ++openedSettings; }

    LoginItemStatus current = LoginItemStatus::notRegistered;
    std::optional<std::string> failure;
    int openedSettings = 0;

private:
    void change(LoginItemStatus status)
    {
        if (failure) {
            throw SystemServiceError(*failure);
        }
        current = status;
    }
};

// Sleep prevention that is refused when failure is set.
class StandInKeepAwake final : public KeepAwakeServicing
{
public:
    explicit StandInKeepAwake(std::optional<std::string> failure)
        : m_failure(std::move(failure))
    {}

    void setEnabled(bool) override
    {
        if (m_failure) {
            throw SystemServiceError(*m_failure);
        }
    }

private:
    std::optional<std::string> m_failure;
};

// The settings window's parts as the application builds them, over a real workspace file, with the providers'
// model listings on a loopback server and stand-ins for the system services.
class SettingsFixture : public WorkspaceFixture
{
protected:
    using Provider = ModelSelection::Provider;

    SettingsFixture()
    {
        m_server.respond("/v1/models", ScriptedAnswer::json(200, openAIModelList({"gpt-4o", "gpt-5"})));
        m_server.respond("/api/tags", ScriptedAnswer::json(200, ollamaTags({"llama3.2:latest"})));
        for (const Provider provider : {Provider::openAI, Provider::anthropic, Provider::gemini}) {
            credentials.push_back(std::make_unique<ProviderKeySettings>(provider, keyStores.at(provider)));
        }
    }

    void TearDown() override { flushDeferredDeletes(); }

    ui::SettingsView& view()
    {
        if (!m_view) {
            std::vector<ProviderKeySettings*> parts;
            for (const auto& settings : credentials) {
                parts.push_back(settings.get());
            }
            m_view = std::make_unique<ui::SettingsView>(ui::SettingsView::Parts{
                .credentials = parts,
                .models = models,
                .updater = updater,
                .loginItem = loginItem,
                .keepAwake = keepAwake,
                .defaults = defaults,
            });
        }
        return *m_view;
    }

    void dropView() { m_view.reset(); }

    std::string serverURL() const { return m_server.baseURL(); }

    LoopbackHttpServer m_server;
    // One store per cloud provider, shared by the key settings and the discovery as the application shares them.
    ModelDiscovery::KeyStores keyStores = [this] {
        ModelDiscovery::KeyStores stores;
        for (const Provider provider : {Provider::openAI, Provider::anthropic, Provider::gemini}) {
            stores[provider] = std::make_shared<SQLiteProviderKeyStore>(m_database, provider);
        }
        return stores;
    }();
    std::vector<std::unique_ptr<ProviderKeySettings>> credentials;
    ModelSettings models{
        std::make_shared<SQLiteModelRepository>(m_database),
        std::make_unique<ModelDiscovery>(
            keyStores,
            std::make_shared<CloudModelClient>(nullptr),
            std::make_shared<OllamaClient>(std::make_shared<OllamaHTTPTransport>()),
            std::make_shared<OpenAIHTTPTransport>(QUrl(QString::fromStdString(m_server.baseURL() + "/v1/"))))};
    StandInLoginItem* loginService = new StandInLoginItem;
    LoginItemSettings loginItem{std::unique_ptr<LoginItemServicing>(loginService)};
    QSettings defaults{QString::fromStdString((m_directory / "defaults.ini").string()), QSettings::IniFormat};
    KeepAwakeSettings keepAwake{
        defaults,
        std::make_unique<StandInKeepAwake>(
            "The system returned power management error org.freedesktop.DBus.Error.AccessDenied.")};
    AppUpdater updater{nlohmann::json{{"CFBundleShortVersionString", "1.4.2"}}, false, {}};

private:
    std::unique_ptr<ui::SettingsView> m_view;
};

} // namespace tavlen::test
