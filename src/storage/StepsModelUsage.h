#pragma once

#include "ModelSelection.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tavlen {

class ModelRequestEvent;

// How one step used one model (in the legacy stored form: how the whole check did). Counters are signed 64-bit.
struct StepsModelUsage
{
    // The format version of records made now; stored records of versions 1 to 4 are read.
    static constexpr std::int64_t currentVersion = 4;

    std::int64_t version = currentVersion;
    std::string model; // the selection's model identifier
    std::optional<ModelSelection::Provider> provider;
    std::optional<std::string> ollamaHost;
    std::optional<std::string> reportedModel; // as the provider reported it with its latest usage
    std::optional<std::string> modelDigest;
    std::optional<std::string> quantization;
    std::optional<double> inferenceSeconds; // sum of the reported request durations
    std::optional<double> modelLoadSeconds;
    std::optional<std::int64_t> reportedTokenRequests; // requests whose usage carried input and output tokens
    std::int64_t requests = 0;                         // requests sent
    std::int64_t unreportedRequests = 0;               // sent, but neither reported usage nor known to be unbilled
    std::int64_t inputTokens = 0;
    std::int64_t cachedInputTokens = 0; // part of inputTokens
    std::int64_t cacheWriteTokens = 0;  // part of inputTokens, besides the cached ones
    std::int64_t outputTokens = 0;

    // A fresh usage for a step reading with this selection: nothing counted, reportedTokenRequests present and 0.
    static StepsModelUsage forSelection(const ModelSelection& selection);

    // Folds one event in so that the result always passes validate() when this usage did: an answer without a
    // preceding `sent` counts its request as sent; cached and cache-write tokens count only with the input tokens
    // they are part of, and never beyond them; negative, non-finite or overflowing figures are not counted.
    void addRequest(const ModelRequestEvent& event);

    // Throws MonitorStoreError: invalidStoredData for a broken rule, or the normalisation's validation error for
    // an Ollama host that does not normalise.
    void validate() const;

    // All sixteen fields; texts by canonical equivalence.
    friend bool operator==(const StepsModelUsage& a, const StepsModelUsage& b);
};

} // namespace tavlen
