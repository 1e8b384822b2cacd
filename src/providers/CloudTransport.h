#pragma once

#include "ModelSelection.h"

#include <QCoroTask>

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>

namespace tavlen {

// One request to Anthropic or Gemini: a reading, or one page of the model list.
struct CloudRequest
{
    enum class Kind
    {
        generate, // POST of one reading with the model in the path (Gemini) or the body (Anthropic)
        models,   // GET of one page of the models the key may use
    };

    Kind kind = Kind::models;
    std::string modelIdentifier;          // generate only
    std::string body;                     // generate only: the encoded request body
    std::optional<std::string> pageToken; // models only: where the previous page ended

    static CloudRequest generate(std::string modelIdentifier, std::string body)
    {
        return {Kind::generate, std::move(modelIdentifier), std::move(body), std::nullopt};
    }

    static CloudRequest models(std::optional<std::string> pageToken)
    {
        return {Kind::models, {}, {}, std::move(pageToken)};
    }
};

// A complete answer: any status, the body within the byte limit.
struct CloudHTTPResponse
{
    std::int64_t status = 0;
    std::string body;
};

// One HTTP exchange with Anthropic or Gemini.
class CloudTransport
{
public:
    virtual ~CloudTransport() = default;

    // Sends request to provider with apiKey and gives the answer of at most byteLimit bytes, whatever its status.
    // Gives up after timeoutSeconds. Throws ProviderFailure (invalid_provider_response for a request that cannot be
    // made, execution_timeout, budget_exceeded, provider_network); CancelledError once stop is requested.
    virtual QCoro::Task<CloudHTTPResponse> send(ModelSelection::Provider provider,
                                                CloudRequest request,
                                                std::string apiKey,
                                                std::int64_t byteLimit,
                                                double timeoutSeconds,
                                                std::stop_token stop) = 0;
};

} // namespace tavlen
