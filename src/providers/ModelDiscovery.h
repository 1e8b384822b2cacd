#pragma once

// moc cannot parse the C++20 standard headers that these pull in; it needs none of them.
#ifndef Q_MOC_RUN
#include "CloudModelClient.h"
#include "ModelSelection.h"
#include "OllamaClient.h"
#include "OpenAITransport.h"
#include "ProviderKeyStore.h"
#include "TaskHandle.h"
#endif

#include <QObject>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tavlen {

// The state behind the Add model sheet: the provider being browsed, the Ollama address typed, the models the
// provider offers, the one picked and the connection status. Loads start only while the sheet is shown; each
// reset abandons the running load, whose late result or failure then changes nothing. Main thread only.
class ModelDiscovery : public QObject
{
    Q_OBJECT

public:
    using Provider = ModelSelection::Provider;
    // The API key store of each cloud provider; a provider without one always needs a key.
    using KeyStores = std::map<Provider, std::shared_ptr<ProviderKeyStore>>;

    ModelDiscovery(KeyStores keyStores,
                   std::shared_ptr<const CloudModelClient> cloud,
                   std::shared_ptr<const OllamaClient> ollama,
                   std::shared_ptr<OpenAITransport> openAI);

    Provider provider() const { return m_provider; }

    const std::string& host() const { return m_host; }

    const std::optional<std::string>& selectedModelIdentifier() const { return m_selectedModelIdentifier; }

    // What the provider offers, in display order.
    const std::vector<ModelSelection>& models() const { return m_models; }

    bool isConnecting() const { return m_isConnecting; }

    bool connected() const { return m_connected; }

    bool needsAPIKey() const { return m_needsAPIKey; }

    const std::optional<std::string>& error() const { return m_error; }

    // True while the Add model sheet is shown (not observed).
    bool isPresented() const { return m_isPresented; }

    // The listed model picked in the sheet; nothing unless connected and done connecting.
    std::optional<ModelSelection> selection() const;

    // The status line; it changes with needsAPIKey, isConnecting, connected, models and error.
    std::string statusText() const;

    // Another provider resets, then loads its models at once unless it is Ollama (loaded on Connect).
    void setProvider(Provider provider);
    // Another address resets; nothing loads until Connect.
    void setHost(const std::string& host);
    void setSelectedModelIdentifier(const std::optional<std::string>& identifier);

    // Abandons any load and clears the results.
    void reset();
    // Loads the current provider's models afresh; nothing unless the sheet is shown.
    void refresh();
    // The sheet was shown: starts fresh, and loads at once unless browsing Ollama.
    void appear();
    // The sheet or the settings window went away.
    void disappear();

Q_SIGNALS:
    void providerChanged();
    void hostChanged();
    void selectedModelIdentifierChanged();
    void modelsChanged();
    void isConnectingChanged();
    void connectedChanged();
    void needsAPIKeyChanged();
    void errorChanged();

private:
    // Runs one load and publishes its outcome while it is still the current one.
    QCoro::Task<void> loadModels(std::uint64_t generation, Provider provider, std::string host, std::stop_token stop);
    void showFailure(std::exception_ptr failure);

    void setModels(const std::vector<ModelSelection>& models);
    void setIsConnecting(bool value);
    void setConnected(bool value);
    void setNeedsAPIKey(bool value);
    void setError(const std::optional<std::string>& error);

    KeyStores m_keyStores;
    std::shared_ptr<const CloudModelClient> m_cloud;
    std::shared_ptr<const OllamaClient> m_ollama;
    std::shared_ptr<OpenAITransport> m_openAI;
    Provider m_provider = Provider::openAI;
    std::string m_host;
    std::optional<std::string> m_selectedModelIdentifier;
    std::vector<ModelSelection> m_models;
    bool m_isConnecting = false;
    bool m_connected = false;
    bool m_needsAPIKey = false;
    std::optional<std::string> m_error;
    std::optional<TaskHandle<void>> m_task;
    // Moves on at every reset; a load publishes only while it still holds the current value.
    std::uint64_t m_generation = 0;
    bool m_isPresented = false;
};

} // namespace tavlen
