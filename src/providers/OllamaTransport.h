#pragma once

#include <QCoroTask>

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>

namespace tavlen {

// One HTTP exchange with an Ollama server.
class OllamaTransport
{
public:
    virtual ~OllamaTransport() = default;

    // Sends path ("tags" without a body, GET; "chat" with one, POST) under "/api/" of the server at host (as typed
    // or normalised) and gives the body of a 2xx answer of at most responseLimit bytes. Gives up after
    // timeoutSeconds. Throws the host's MonitorStoreError validation, ProviderFailure (invalid_provider_response,
    // ollama_model_missing, ollama_memory, ollama_unsupported_model, "ollama_http_" and the status,
    // execution_timeout, ollama_unavailable); CancelledError once stop is requested.
    virtual QCoro::Task<std::string> send(std::string host,
                                          std::string path,
                                          std::optional<std::string> body,
                                          std::int64_t responseLimit,
                                          double timeoutSeconds,
                                          std::stop_token stop) = 0;
};

} // namespace tavlen
