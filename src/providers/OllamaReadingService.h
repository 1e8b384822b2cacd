#pragma once

#include "OllamaClient.h"
#include "StepsReader.h"
#include "TimeSource.h"

namespace tavlen {

// The reader of Ollama models: confirms the server still offers the model, then sends one chat request that asks
// for structured output fixed by a JSON schema. No key, no tools. Keeps nothing between reads; the reading router
// keeps reads one at a time. Main thread.
class OllamaReadingService final : public StepsReader
{
public:
    static constexpr std::int64_t requestByteLimit = 33'554'432;
    static constexpr std::int64_t responseByteLimit = 2'097'152;

    explicit OllamaReadingService(OllamaClient client, const TimeSource& time = systemTime());

    // Reports the resolved model, the request and its usage, in that order. Besides the failures of the protocol,
    // the page evidence, the client and the transport, throws ProviderFailure: ollama_unsupported_model for a
    // selection that is not Ollama's or has no host, request_limit for a body over 32 MiB even without the
    // evidence, and the failures of the answer (parseOllamaChatResponse).
    QCoro::Task<std::vector<Reading>>
    read(ReadingRequest request, UsageCallback onUsage, std::stop_token stop) override;

private:
    OllamaClient m_client;
    const TimeSource* m_time;
};

} // namespace tavlen
