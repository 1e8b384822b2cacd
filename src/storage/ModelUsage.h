#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tavlen {

// What one model request reported, as a reader gathered it from the provider's answer.
struct ModelUsage
{
    std::optional<std::int64_t> inputTokens;
    std::int64_t cachedTokens = 0;
    std::int64_t cacheWriteTokens = 0;
    std::optional<std::int64_t> outputTokens;
    std::optional<std::string> reportedModel;
    std::optional<double> durationSeconds;
    std::optional<double> loadSeconds;

    friend bool operator==(const ModelUsage&, const ModelUsage&) = default;
};

} // namespace tavlen
