#pragma once

#include "CloudReadingService.h"

namespace tavlen {

// The reader of Anthropic models (Messages API).
class AnthropicReadingService final : public CloudReadingService
{
public:
    AnthropicReadingService(std::shared_ptr<ProviderKeyStore> keyStore,
                            std::shared_ptr<CloudTransport> transport,
                            CloudReadingLimits limits = {},
                            const TimeSource& time = systemTime())
        : CloudReadingService(
              ModelSelection::Provider::anthropic, std::move(keyStore), std::move(transport), limits, time)
    {}
};

} // namespace tavlen
