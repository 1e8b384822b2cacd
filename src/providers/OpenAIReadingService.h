#pragma once

#include "OpenAITransport.h"
#include "ProviderKeyStore.h"
#include "StepsReader.h"
#include "TimeSource.h"

#include <cstdint>
#include <memory>

namespace tavlen {

struct OpenAIReadingLimits
{
    std::int64_t outputTokens = 4096;
    std::int64_t requestBytes = 33'554'432;
    std::int64_t responseBytes = 2'097'152;
};

// The reader of OpenAI models: one Responses API request per read, answered by exactly one function call.
// Keeps nothing between reads; the reading router keeps reads one at a time. Main thread.
class OpenAIReadingService final : public StepsReader
{
public:
    OpenAIReadingService(std::shared_ptr<ProviderKeyStore> keyStore,
                         std::shared_ptr<OpenAITransport> transport,
                         OpenAIReadingLimits limits = {},
                         const TimeSource& time = systemTime());

    // Besides the failures of the protocol, the key store and the page evidence, throws OpenAIFailure:
    // unsupported_provider for a selection of another provider, budget_exceeded for a body over the request
    // limit even without the evidence, and the transport's and the status failures. A failure OpenAI does not
    // bill is reported as requestNotBilled first. An answer that does not hold the readings throws
    // ReadingFailure::invalidReadings(), or the model's report_failure sentence.
    QCoro::Task<std::vector<Reading>>
    read(ReadingRequest request, UsageCallback onUsage, std::stop_token stop) override;

private:
    std::shared_ptr<ProviderKeyStore> m_keyStore;
    std::shared_ptr<OpenAITransport> m_transport;
    OpenAIReadingLimits m_limits;
    const TimeSource* m_time;
};

} // namespace tavlen
