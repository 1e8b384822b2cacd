#include "OpenAIReadingAnswer.h"

#include "ReadingFailure.h"
#include "ReadingToolCall.h"

#include <algorithm>
#include <array>

namespace tavlen {

namespace {

constexpr std::int64_t largestCount = 10'000'000;

bool isStringOfBytes(const std::optional<ProviderJSON>& value, std::size_t least, std::size_t most)
{
    const std::string* text = value ? value->asString() : nullptr;
    return text != nullptr && text->size() >= least && text->size() <= most;
}

bool isString(const std::optional<ProviderJSON>& value, std::string_view expected)
{
    return value && value->asString() && *value->asString() == expected;
}

// Reasoning and messages may come with the call; nothing unfinished, nothing refused, nothing else.
bool isAcceptableOutputItem(const ProviderJSON& item)
{
    constexpr std::array<std::string_view, 3> types{"function_call", "reasoning", "message"};
    const std::optional<ProviderJSON> type = item.member("type");
    if (!item.asObject() || !type || !type->asString() ||
        std::find(types.begin(), types.end(), *type->asString()) == types.end()) {
        return false;
    }
    const std::optional<ProviderJSON> status = item.member("status");
    if (status && !isString(status, "completed")) {
        return false;
    }
    const std::optional<ProviderJSON> content = item.member("content");
    if (content && content->asArray()) {
        for (const ProviderJSON& part : *content->asArray()) {
            if (part.asObject() && isString(part.member("type"), "refusal")) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

std::optional<ModelUsage> openAIUsage(const std::optional<ProviderJSON>& usage)
{
    const ProviderJSON::Object* members = usage ? usage->asObject() : nullptr;
    if (members == nullptr || members->empty()) {
        return std::nullopt;
    }
    const std::optional<std::int64_t> input = usageCount(usage->member("input_tokens"), largestCount);
    const std::optional<std::int64_t> output = usageCount(usage->member("output_tokens"), largestCount);
    const std::optional<ProviderJSON> details = usage->member("input_tokens_details");
    if (!input || !output || !details) {
        return std::nullopt;
    }
    const std::optional<std::int64_t> cached = usageCount(details->member("cached_tokens"), largestCount);
    const std::optional<ProviderJSON> writes = details->member("cache_write_tokens");
    const std::optional<std::int64_t> written = writes ? usageCount(writes, largestCount) : std::int64_t{0};
    if (!cached || !written || *cached + *written > *input) {
        return std::nullopt;
    }
    ModelUsage result;
    result.inputTokens = input;
    result.cachedTokens = *cached;
    result.cacheWriteTokens = *written;
    result.outputTokens = output;
    return result;
}

std::vector<Reading> openAIReadings(std::string_view body, const std::vector<ReadingField>& fields)
{
    const ProviderJSON answer = ProviderJSON::parse(body);
    const std::optional<ProviderJSON> error = answer.member("error");
    const std::optional<ProviderJSON> output = answer.member("output");
    if (!isString(answer.member("status"), "completed") || !isStringOfBytes(answer.member("model"), 1, 256) ||
        (error && !error->isNull()) || !output || !output->asArray()) {
        throw ReadingFailure::invalidReadings();
    }
    const ProviderJSON::Array& items = *output->asArray();
    std::optional<ProviderJSON> call;
    int calls = 0;
    for (const ProviderJSON& item : items) {
        if (item.asObject() && isString(item.member("type"), "function_call")) {
            ++calls;
            call = item;
        }
    }
    if (calls != 1 || !std::all_of(items.begin(), items.end(), isAcceptableOutputItem)) {
        throw ReadingFailure::invalidReadings();
    }
    const std::optional<ProviderJSON> status = call->member("status");
    const std::optional<ProviderJSON> arguments = call->member("arguments");
    const std::optional<ProviderJSON> name = call->member("name");
    if ((status && !isString(status, "completed")) || !isStringOfBytes(call->member("call_id"), 1, 200) || !arguments ||
        !arguments->asString()) {
        throw ReadingFailure::invalidReadings();
    }
    const ProviderJSON decoded = ProviderJSON::parse(*arguments->asString());
    if (!decoded.asObject() || !name || !name->asString()) {
        throw ReadingFailure::invalidReadings();
    }
    return decodeToolCall(*name->asString(), decoded, fields);
}

} // namespace tavlen
