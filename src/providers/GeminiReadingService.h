#pragma once

#include "CloudReadingService.h"

namespace tavlen {

// The reader of Gemini models (generateContent API).
class GeminiReadingService final : public CloudReadingService
{
public:
    GeminiReadingService(std::shared_ptr<ProviderKeyStore> keyStore,
                         std::shared_ptr<CloudTransport> transport,
                         CloudReadingLimits limits = {},
                         const TimeSource& time = systemTime())
        : CloudReadingService(ModelSelection::Provider::gemini, std::move(keyStore), std::move(transport), limits, time)
    {}
};

} // namespace tavlen
