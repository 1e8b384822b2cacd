#include "ModelDiscovery.h"

#include "CancelledError.h"
#include "MainThread.h"
#include "ModelText.h"
#include "MonitorStoreError.h"
#include "Observable.h"
#include "OpenAIFailure.h"
#include "OpenAIModelListing.h"
#include "ProviderFailure.h"
#include "ProviderKeyError.h"
#include "ProvidersLog.h"
#include "StorageMessages.h"
#include "TransportText.h"
#include "Utf8.h"

#include <QPointer>

#include <algorithm>

namespace tavlen {

namespace {

// The provider's models, or nothing when no API key is saved. Holds what it uses, so it may outlive the discovery.
QCoro::Task<std::optional<std::vector<ModelSelection>>>
listProviderModels(std::shared_ptr<ProviderKeyStore> keyStore,
                   std::shared_ptr<const CloudModelClient> cloud,
                   std::shared_ptr<const OllamaClient> ollama,
                   std::shared_ptr<OpenAITransport> openAI,
                   ModelSelection::Provider provider,
                   std::string host,
                   std::stop_token stop)
{
    if (provider == ModelSelection::Provider::ollama) {
        auto listing = ollama->listModels(std::move(host), stop);
        const std::vector<DiscoveredModel> listed = co_await std::move(listing);
        std::vector<ModelSelection> models;
        models.reserve(listed.size());
        for (const DiscoveredModel& model : listed) {
            models.push_back(model.selection);
        }
        co_return models;
    }
    if (!keyStore) {
        co_return std::nullopt;
    }
    auto reading = keyStore->apiKey();
    std::optional<std::string> apiKey = co_await std::move(reading);
    if (!apiKey) {
        co_return std::nullopt;
    }
    if (stop.stop_requested()) {
        throw CancelledError();
    }
    if (provider == ModelSelection::Provider::openAI) {
        auto listing = listOpenAIModels(*openAI, std::move(*apiKey), stop);
        co_return co_await std::move(listing);
    }
    auto listing = cloud->listModels(provider, std::move(*apiKey), stop);
    co_return co_await std::move(listing);
}

} // namespace

ModelDiscovery::ModelDiscovery(KeyStores keyStores,
                               std::shared_ptr<const CloudModelClient> cloud,
                               std::shared_ptr<const OllamaClient> ollama,
                               std::shared_ptr<OpenAITransport> openAI)
    : m_keyStores(std::move(keyStores))
    , m_cloud(std::move(cloud))
    , m_ollama(std::move(ollama))
    , m_openAI(std::move(openAI))
    , m_host(storage_messages::defaultOllamaHost)
{}

std::optional<ModelSelection> ModelDiscovery::selection() const
{
    if (!m_connected || m_isConnecting || !m_selectedModelIdentifier) {
        return std::nullopt;
    }
    const auto found = std::find_if(m_models.begin(), m_models.end(), [this](const ModelSelection& model) {
        return textEqual(model.modelIdentifier, *m_selectedModelIdentifier);
    });
    return found == m_models.end() ? std::nullopt : std::optional<ModelSelection>(*found);
}

std::string ModelDiscovery::statusText() const
{
    if (m_needsAPIKey) {
        return std::string(provider_text::cloudMissingKeyStart) + ModelSelection::label(m_provider) +
               std::string(provider_text::discoveryMissingKeyEnd);
    }
    if (m_isConnecting) {
        return std::string(provider_text::discoveryConnecting);
    }
    if (m_connected) {
        return std::string(m_models.empty() ? provider_text::discoveryNoModels : provider_text::discoveryConnected);
    }
    return std::string(m_error ? provider_text::discoveryFailed : provider_text::discoveryNotConnected);
}

void ModelDiscovery::setProvider(Provider provider)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (provider == m_provider) {
        return;
    }
    m_provider = provider;
    Q_EMIT providerChanged();
    reset();
    if (provider != Provider::ollama) {
        refresh();
    }
}

void ModelDiscovery::setHost(const std::string& host)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (assignIfChanged(m_host, host)) {
        Q_EMIT hostChanged();
        reset();
    }
}

void ModelDiscovery::setSelectedModelIdentifier(const std::optional<std::string>& identifier)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (assignIfChanged(m_selectedModelIdentifier, identifier)) {
        Q_EMIT selectedModelIdentifierChanged();
    }
}

void ModelDiscovery::reset()
{
    TAVLEN_ASSERT_MAIN_THREAD();
    ++m_generation;
    if (m_task) {
        m_task->cancel();
        m_task.reset();
    }
    setModels({});
    setSelectedModelIdentifier(std::nullopt);
    setIsConnecting(false);
    setConnected(false);
    setNeedsAPIKey(false);
    setError(std::nullopt);
}

void ModelDiscovery::refresh()
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (!m_isPresented) {
        return;
    }
    reset();
    setIsConnecting(true);
    auto body = [this, generation = m_generation, provider = m_provider, host = m_host](
                    std::stop_token stop) -> QCoro::Task<void> { return loadModels(generation, provider, host, stop); };
    // A load that finished before its handle was made (one that never suspended) has already cleared the task.
    TaskHandle<void> task(*this, std::move(body));
    if (!task.isFinished()) {
        m_task = std::move(task);
    }
}

void ModelDiscovery::appear()
{
    TAVLEN_ASSERT_MAIN_THREAD();
    m_isPresented = true;
    reset();
    if (m_provider != Provider::ollama) {
        refresh();
    }
}

void ModelDiscovery::disappear()
{
    TAVLEN_ASSERT_MAIN_THREAD();
    m_isPresented = false;
    reset();
}

QCoro::Task<void>
ModelDiscovery::loadModels(std::uint64_t generation, Provider provider, std::string host, std::stop_token stop)
{
    // The discovery may go away while the load waits; it is touched only through this guard.
    const QPointer<ModelDiscovery> self(this);
    const auto keyStore = m_keyStores.find(provider);
    std::optional<std::vector<ModelSelection>> models;
    std::exception_ptr failure;
    try {
        auto listing = listProviderModels(keyStore == m_keyStores.end() ? nullptr : keyStore->second,
                                          m_cloud,
                                          m_ollama,
                                          m_openAI,
                                          provider,
                                          std::move(host),
                                          stop);
        models = co_await std::move(listing);
        if (models && stop.stop_requested()) {
            throw CancelledError();
        }
    } catch (...) {
        failure = std::current_exception();
    }
    if (!self || m_generation != generation) {
        co_return;
    }
    if (failure) {
        showFailure(failure);
    } else if (!models) {
        setNeedsAPIKey(true);
    } else {
        setModels(*models);
        setConnected(true);
    }
    setIsConnecting(false);
    m_task.reset();
}

void ModelDiscovery::showFailure(std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const CancelledError&) {
    } catch (const ProviderFailure& providerFailure) {
        setError(providerFailure.message());
    } catch (const OpenAIFailure& openAIFailure) {
        setError(openAIFailure.message());
    } catch (const MonitorStoreError& storeError) {
        setError(storeError.errorDescription());
    } catch (const ProviderKeyError& keyError) {
        setError(std::string(keyError.what()));
    } catch (const std::exception& other) {
        qCWarning(providersLog, "Listing %s models failed: %s", ModelSelection::label(m_provider), other.what());
        setError(std::string(provider_text::discoveryUnknownFailure));
    } catch (...) {
        qCWarning(providersLog, "Listing %s models failed with an unknown error", ModelSelection::label(m_provider));
        setError(std::string(provider_text::discoveryUnknownFailure));
    }
}

void ModelDiscovery::setModels(const std::vector<ModelSelection>& models)
{
    if (assignIfChanged(m_models, models, modelSelectionsEqual)) {
        Q_EMIT modelsChanged();
    }
}

void ModelDiscovery::setIsConnecting(bool value)
{
    if (assignIfChanged(m_isConnecting, value)) {
        Q_EMIT isConnectingChanged();
    }
}

void ModelDiscovery::setConnected(bool value)
{
    if (assignIfChanged(m_connected, value)) {
        Q_EMIT connectedChanged();
    }
}

void ModelDiscovery::setNeedsAPIKey(bool value)
{
    if (assignIfChanged(m_needsAPIKey, value)) {
        Q_EMIT needsAPIKeyChanged();
    }
}

void ModelDiscovery::setError(const std::optional<std::string>& error)
{
    if (assignIfChanged(m_error, error)) {
        Q_EMIT errorChanged();
    }
}

} // namespace tavlen
