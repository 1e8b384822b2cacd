#pragma once

#include "DiscoveredModel.h"
#include "ModelSelection.h"
#include "OllamaTransport.h"

#include <QCoroTask>

#include <memory>
#include <stop_token>
#include <string>
#include <vector>

namespace tavlen {

// What Tavlen asks an Ollama server about its models: the list, and the listed model of a configured selection.
class OllamaClient
{
public:
    // The time-out of a listing.
    static constexpr double listingTimeoutSeconds = 5;

    explicit OllamaClient(std::shared_ptr<OllamaTransport> transport);

    const std::shared_ptr<OllamaTransport>& transport() const { return m_transport; }

    // The models of the server at host, sorted by identifier in the localized standard order; an entry that does
    // not name a valid model is passed over, a name seen before too. Throws the host's MonitorStoreError
    // validation, the transport's failures, ProviderFailure invalid_provider_response for a listing without a
    // "models" array; CancelledError once stop is requested.
    QCoro::Task<std::vector<DiscoveredModel>> listModels(std::string host, std::stop_token stop) const;

    // The listed model of a configured Ollama selection (identifier and host equal). Throws the selection's
    // MonitorStoreError, the listing's failures, ProviderFailure ollama_model_missing when it is not listed.
    QCoro::Task<DiscoveredModel> resolveModel(ModelSelection selection, std::stop_token stop) const;

private:
    std::shared_ptr<OllamaTransport> m_transport;
};

} // namespace tavlen
