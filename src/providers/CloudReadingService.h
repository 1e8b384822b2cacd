#pragma once

#include "CloudTransport.h"
#include "ProviderKeyStore.h"
#include "StepsReader.h"
#include "TimeSource.h"

#include <cstdint>
#include <memory>

namespace tavlen {

struct CloudReadingLimits
{
    std::int64_t outputTokens = 4096;
    std::int64_t requestBytes = 20'971'520;
    std::int64_t responseBytes = 2'097'152;
};

// The reader of Anthropic and Gemini models: one request per read through the cloud transport, answered by one
// tool call. Everything that differs between the two follows the provider it was made for. Keeps nothing between
// reads; the reading router keeps reads one at a time. Main thread.
class CloudReadingService : public StepsReader
{
public:
    // provider: anthropic or gemini.
    CloudReadingService(ModelSelection::Provider provider,
                        std::shared_ptr<ProviderKeyStore> keyStore,
                        std::shared_ptr<CloudTransport> transport,
                        CloudReadingLimits limits = {},
                        const TimeSource& time = systemTime());

    ModelSelection::Provider provider() const { return m_provider; }

    // Besides the failures of the protocol, the key store and the page evidence, throws ProviderFailure:
    // invalid_provider_response naming this provider for a selection of another one or an answer without the
    // readings, budget_exceeded for a body over the request limit even without the evidence, and the transport's
    // and status failures. A failure the provider does not bill is reported as requestNotBilled first. The
    // model's report_failure reaches the caller as its ReadingFailure.
    QCoro::Task<std::vector<Reading>>
    read(ReadingRequest request, UsageCallback onUsage, std::stop_token stop) override;

private:
    ModelSelection::Provider m_provider;
    std::shared_ptr<ProviderKeyStore> m_keyStore;
    std::shared_ptr<CloudTransport> m_transport;
    CloudReadingLimits m_limits;
    const TimeSource* m_time;
};

} // namespace tavlen
