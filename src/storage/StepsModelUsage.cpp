#include "StepsModelUsage.h"

#include "ModelRequestEvent.h"
#include "MonitorStoreError.h"
#include "Utf8.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tavlen {

namespace {

constexpr std::size_t maximumNameBytes = 256;
constexpr std::int64_t largestCount = std::numeric_limits<std::int64_t>::max();

bool optionalTextEqual(const std::optional<std::string>& a, const std::optional<std::string>& b)
{
    return a.has_value() == b.has_value() && (!a || textEqual(*a, *b));
}

bool isShortName(const std::optional<std::string>& text)
{
    return !text || text->size() <= maximumNameBytes;
}

bool isValidSeconds(const std::optional<double>& seconds)
{
    return !seconds || (std::isfinite(*seconds) && *seconds >= 0);
}

// The total with a reported time added; a negative or non-finite time, or a sum that is no longer finite, is
// not counted.
std::optional<double> addedSeconds(const std::optional<double>& total, const std::optional<double>& seconds)
{
    if (!seconds || !std::isfinite(*seconds) || *seconds < 0) {
        return total;
    }
    const double sum = total.value_or(0) + *seconds;
    return std::isfinite(sum) ? std::optional<double>(sum) : total;
}

// An answer settles one request the reader announced. A reader that answered without announcing still sent the
// request, so it is counted as sent and settled at once; unreportedRequests never drops below zero.
void countAnswer(StepsModelUsage& usage)
{
    if (usage.unreportedRequests > 0) {
        --usage.unreportedRequests;
    } else if (usage.requests < largestCount) {
        ++usage.requests;
    }
}

// Adds the token counts of one answer. Cached and cache-write tokens are parts of the input tokens, so they count
// only with them and are capped by them; that keeps cachedInputTokens <= inputTokens and cacheWriteTokens <=
// inputTokens - cachedInputTokens for the sums as they hold for each answer.
void addTokens(StepsModelUsage& usage, const ModelUsage& reported)
{
    if (!reported.inputTokens || !reported.outputTokens || *reported.inputTokens < 0 || *reported.outputTokens < 0) {
        return;
    }
    const std::int64_t input = *reported.inputTokens;
    const std::int64_t cached = std::clamp<std::int64_t>(reported.cachedTokens, 0, input);
    const std::int64_t written = std::clamp<std::int64_t>(reported.cacheWriteTokens, 0, input - cached);
    const std::int64_t counted = usage.reportedTokenRequests.value_or(0);
    std::int64_t inputSum = 0;
    std::int64_t cachedSum = 0;
    std::int64_t writtenSum = 0;
    std::int64_t outputSum = 0;
    if (counted >= usage.requests || __builtin_add_overflow(usage.inputTokens, input, &inputSum) ||
        __builtin_add_overflow(usage.cachedInputTokens, cached, &cachedSum) ||
        __builtin_add_overflow(usage.cacheWriteTokens, written, &writtenSum) ||
        __builtin_add_overflow(usage.outputTokens, *reported.outputTokens, &outputSum)) {
        return;
    }
    usage.inputTokens = inputSum;
    usage.cachedInputTokens = cachedSum;
    usage.cacheWriteTokens = writtenSum;
    usage.outputTokens = outputSum;
    usage.reportedTokenRequests = counted + 1;
}

} // namespace

StepsModelUsage StepsModelUsage::forSelection(const ModelSelection& selection)
{
    StepsModelUsage usage;
    usage.version = currentVersion;
    usage.model = selection.modelIdentifier;
    usage.provider = selection.provider;
    usage.ollamaHost = selection.ollamaHost;
    usage.reportedTokenRequests = 0;
    return usage;
}

void StepsModelUsage::addRequest(const ModelRequestEvent& event)
{
    const auto& value = event.value();
    if (std::holds_alternative<ModelRequestEvent::Sent>(value)) {
        if (requests < largestCount) {
            ++requests;
            ++unreportedRequests;
        }
    } else if (std::holds_alternative<ModelRequestEvent::Unbilled>(value)) {
        countAnswer(*this);
    } else if (const auto* reported = std::get_if<ModelUsage>(&value)) {
        countAnswer(*this);
        addTokens(*this, *reported);
        if (reported->reportedModel && reported->reportedModel->size() <= maximumNameBytes) {
            reportedModel = reported->reportedModel;
        }
        inferenceSeconds = addedSeconds(inferenceSeconds, reported->durationSeconds);
        modelLoadSeconds = addedSeconds(modelLoadSeconds, reported->loadSeconds);
    } else if (const auto* discovered = std::get_if<DiscoveredModel>(&value)) {
        const std::string& digest = discovered->digest;
        modelDigest =
            !digest.empty() && digest.size() <= maximumNameBytes ? std::optional<std::string>(digest) : std::nullopt;
        quantization = isShortName(discovered->quantization) ? discovered->quantization : std::nullopt;
    }
}

void StepsModelUsage::validate() const
{
    if (ollamaHost && (provider != ModelSelection::Provider::ollama ||
                       ModelSelection::normalizedOllamaHost(*ollamaHost) != *ollamaHost)) {
        throw MonitorStoreError::invalidStoredData();
    }
    const bool valid =
        version >= 1 && version <= currentVersion && (version == 1 || provider) && !model.empty() &&
        model.size() <= maximumNameBytes && requests >= 0 && unreportedRequests >= 0 && inputTokens >= 0 &&
        cachedInputTokens >= 0 && cacheWriteTokens >= 0 && outputTokens >= 0 && unreportedRequests <= requests &&
        cachedInputTokens <= inputTokens && cacheWriteTokens <= inputTokens - cachedInputTokens &&
        (!reportedTokenRequests || (*reportedTokenRequests >= 0 && *reportedTokenRequests <= requests)) &&
        isValidSeconds(inferenceSeconds) && isValidSeconds(modelLoadSeconds) && isShortName(reportedModel) &&
        isShortName(modelDigest) && isShortName(quantization);
    if (!valid) {
        throw MonitorStoreError::invalidStoredData();
    }
}

bool operator==(const StepsModelUsage& a, const StepsModelUsage& b)
{
    return a.version == b.version && textEqual(a.model, b.model) && a.provider == b.provider &&
           optionalTextEqual(a.ollamaHost, b.ollamaHost) && optionalTextEqual(a.reportedModel, b.reportedModel) &&
           optionalTextEqual(a.modelDigest, b.modelDigest) && optionalTextEqual(a.quantization, b.quantization) &&
           a.inferenceSeconds == b.inferenceSeconds && a.modelLoadSeconds == b.modelLoadSeconds &&
           a.reportedTokenRequests == b.reportedTokenRequests && a.requests == b.requests &&
           a.unreportedRequests == b.unreportedRequests && a.inputTokens == b.inputTokens &&
           a.cachedInputTokens == b.cachedInputTokens && a.cacheWriteTokens == b.cacheWriteTokens &&
           a.outputTokens == b.outputTokens;
}

} // namespace tavlen
