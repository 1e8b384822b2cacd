#include "CloudReadingAnswer.h"

#include "ReadingFailure.h"
#include "ReadingToolCall.h"

#include <algorithm>
#include <array>

namespace tavlen {

namespace {

constexpr std::int64_t largestCount = 10'000'000;

bool isString(const std::optional<ProviderJSON>& value, std::string_view expected)
{
    return value && value->asString() && *value->asString() == expected;
}

bool isStringOfBytes(const std::optional<ProviderJSON>& value, std::size_t least, std::size_t most)
{
    const std::string* text = value ? value->asString() : nullptr;
    return text != nullptr && text->size() >= least && text->size() <= most;
}

// A count that may be absent (0), but that voids the usage when present and not a count.
std::optional<std::int64_t> optionalCount(const ProviderJSON& usage, std::string_view key)
{
    const std::optional<ProviderJSON> value = usage.member(key);
    return value ? usageCount(value, largestCount) : std::int64_t{0};
}

std::optional<std::string> reportedModel(const ProviderJSON& answer, std::string_view key)
{
    const std::optional<ProviderJSON> model = answer.member(key);
    if (model && model->asString()) {
        return *model->asString();
    }
    return std::nullopt;
}

std::optional<ModelUsage> anthropicUsage(const ProviderJSON& answer)
{
    const std::optional<ProviderJSON> usage = answer.member("usage");
    if (!usage || !usage->asObject() || usage->asObject()->empty()) {
        return std::nullopt;
    }
    const auto input = usageCount(usage->member("input_tokens"), largestCount);
    const auto output = usageCount(usage->member("output_tokens"), largestCount);
    const auto cacheRead = optionalCount(*usage, "cache_read_input_tokens");
    const auto cacheCreation = optionalCount(*usage, "cache_creation_input_tokens");
    if (!input || !output || !cacheRead || !cacheCreation) {
        return std::nullopt;
    }
    ModelUsage result;
    result.inputTokens = *input + *cacheRead + *cacheCreation;
    result.cachedTokens = *cacheRead;
    result.cacheWriteTokens = *cacheCreation;
    result.outputTokens = output;
    result.reportedModel = reportedModel(answer, "model");
    return result;
}

std::optional<ModelUsage> geminiUsage(const ProviderJSON& answer)
{
    const std::optional<ProviderJSON> usage = answer.member("usageMetadata");
    if (!usage || !usage->asObject() || usage->asObject()->empty()) {
        return std::nullopt;
    }
    const auto prompt = usageCount(usage->member("promptTokenCount"), largestCount);
    const auto candidates = usageCount(usage->member("candidatesTokenCount"), largestCount);
    const auto cached = optionalCount(*usage, "cachedContentTokenCount");
    const auto thoughts = optionalCount(*usage, "thoughtsTokenCount");
    if (!prompt || !candidates || !cached || !thoughts || *cached > *prompt) {
        return std::nullopt;
    }
    ModelUsage result;
    result.inputTokens = prompt;
    result.cachedTokens = *cached;
    result.cacheWriteTokens = 0;
    result.outputTokens = *candidates + *thoughts;
    result.reportedModel = reportedModel(answer, "modelVersion");
    return result;
}

std::vector<Reading> anthropicReadings(const ProviderJSON& answer, const std::vector<ReadingField>& fields)
{
    constexpr std::array<std::string_view, 4> blockTypes{"text", "tool_use", "thinking", "redacted_thinking"};
    const std::optional<ProviderJSON> content = answer.member("content");
    if (!isString(answer.member("type"), "message") || !isString(answer.member("role"), "assistant") ||
        !isString(answer.member("stop_reason"), "tool_use") || !isStringOfBytes(answer.member("model"), 1, 256) ||
        !content || !content->asArray()) {
        throw ReadingFailure::invalidReadings();
    }
    std::optional<ProviderJSON> call;
    int calls = 0;
    for (const ProviderJSON& block : *content->asArray()) {
        const std::optional<ProviderJSON> type = block.member("type");
        if (!block.asObject() || !type || !type->asString() ||
            std::find(blockTypes.begin(), blockTypes.end(), *type->asString()) == blockTypes.end()) {
            throw ReadingFailure::invalidReadings();
        }
        if (*type->asString() == "tool_use") {
            ++calls;
            call = block;
        }
    }
    if (calls != 1) {
        throw ReadingFailure::invalidReadings();
    }
    const std::optional<ProviderJSON> name = call->member("name");
    const std::optional<ProviderJSON> input = call->member("input");
    if (!isStringOfBytes(call->member("id"), 1, 200) || !name || !name->asString() || !input) {
        throw ReadingFailure::invalidReadings();
    }
    return decodeToolCall(*name->asString(), *input, fields);
}

std::vector<Reading> geminiReadings(const ProviderJSON& answer, const std::vector<ReadingField>& fields)
{
    const std::optional<ProviderJSON> feedback = answer.member("promptFeedback");
    if (feedback && feedback->member("blockReason")) {
        throw ReadingFailure::invalidReadings();
    }
    const std::optional<ProviderJSON> candidates = answer.member("candidates");
    if (!candidates || !candidates->asArray() || candidates->asArray()->size() != 1) {
        throw ReadingFailure::invalidReadings();
    }
    const ProviderJSON& candidate = candidates->asArray()->front();
    if (!isString(candidate.member("finishReason"), "STOP")) {
        throw ReadingFailure::invalidReadings();
    }
    if (const std::optional<ProviderJSON> ratings = candidate.member("safetyRatings"); ratings && ratings->asArray()) {
        for (const ProviderJSON& rating : *ratings->asArray()) {
            const std::optional<ProviderJSON> blocked = rating.member("blocked");
            if (blocked && blocked->asBool() == true) {
                throw ReadingFailure::invalidReadings();
            }
        }
    }
    const std::optional<ProviderJSON> content = candidate.member("content");
    const std::optional<ProviderJSON> parts = content ? content->member("parts") : std::nullopt;
    if (!content || !isString(content->member("role"), "model") || !parts || !parts->asArray()) {
        throw ReadingFailure::invalidReadings();
    }
    std::optional<ProviderJSON> call;
    int calls = 0;
    for (const ProviderJSON& part : *parts->asArray()) {
        const std::optional<ProviderJSON> text = part.member("text");
        const std::optional<ProviderJSON> functionCall = part.member("functionCall");
        const bool hasText = text && text->asString();
        const bool hasCall = functionCall && functionCall->asObject();
        if (!part.asObject() || (!hasText && !hasCall)) {
            throw ReadingFailure::invalidReadings();
        }
        if (functionCall) {
            ++calls;
            call = functionCall;
        }
    }
    if (calls != 1) {
        throw ReadingFailure::invalidReadings();
    }
    const std::optional<ProviderJSON> name = call->member("name");
    const std::optional<ProviderJSON> arguments = call->member("args");
    if (!name || !name->asString() || !arguments) {
        throw ReadingFailure::invalidReadings();
    }
    return decodeToolCall(*name->asString(), *arguments, fields);
}

} // namespace

std::optional<ModelUsage> cloudUsage(ModelSelection::Provider provider, const ProviderJSON& answer)
{
    return provider == ModelSelection::Provider::anthropic ? anthropicUsage(answer) : geminiUsage(answer);
}

std::vector<Reading>
cloudReadings(ModelSelection::Provider provider, const ProviderJSON& answer, const std::vector<ReadingField>& fields)
{
    return provider == ModelSelection::Provider::anthropic ? anthropicReadings(answer, fields)
                                                           : geminiReadings(answer, fields);
}

} // namespace tavlen
