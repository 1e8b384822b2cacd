#include "StepsModelUsageJson.h"

#include "MonitorStoreError.h"

#include <cmath>
#include <limits>

namespace tavlen {

namespace {

const nlohmann::json* member(const nlohmann::json& object, const char* key)
{
    const auto found = object.find(key);
    return found == object.end() || found->is_null() ? nullptr : &*found;
}

const nlohmann::json& requiredMember(const nlohmann::json& object, const char* key)
{
    const nlohmann::json* value = member(object, key);
    if (value == nullptr) {
        throw MonitorStoreError::invalidStoredData();
    }
    return *value;
}

} // namespace

std::int64_t decodeStoredInteger(const nlohmann::json& value)
{
    if (value.is_number_unsigned()) {
        if (value.get<std::uint64_t>() > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            throw MonitorStoreError::invalidStoredData();
        }
        return static_cast<std::int64_t>(value.get<std::uint64_t>());
    }
    if (value.is_number_integer()) {
        return value.get<std::int64_t>();
    }
    if (value.is_number_float()) {
        const double number = value.get<double>();
        if (std::trunc(number) == number && number >= -9223372036854775808.0 && number < 9223372036854775808.0) {
            return static_cast<std::int64_t>(number);
        }
    }
    throw MonitorStoreError::invalidStoredData();
}

namespace {

std::string textValue(const nlohmann::json& value)
{
    if (!value.is_string()) {
        throw MonitorStoreError::invalidStoredData();
    }
    return value.get<std::string>();
}

double secondsValue(const nlohmann::json& value)
{
    if (!value.is_number()) {
        throw MonitorStoreError::invalidStoredData();
    }
    return value.get<double>();
}

std::optional<std::string> optionalText(const nlohmann::json& object, const char* key)
{
    const nlohmann::json* value = member(object, key);
    return value ? std::optional<std::string>(textValue(*value)) : std::nullopt;
}

std::optional<double> optionalSeconds(const nlohmann::json& object, const char* key)
{
    const nlohmann::json* value = member(object, key);
    return value ? std::optional<double>(secondsValue(*value)) : std::nullopt;
}

template <class T> void putOptional(nlohmann::json& object, const char* key, const std::optional<T>& value)
{
    if (value) {
        object[key] = *value;
    }
}

} // namespace

nlohmann::json encodeUsageObject(const StepsModelUsage& usage)
{
    nlohmann::json object{{"version", usage.version},
                          {"model", usage.model},
                          {"requests", usage.requests},
                          {"unreportedRequests", usage.unreportedRequests},
                          {"inputTokens", usage.inputTokens},
                          {"cachedInputTokens", usage.cachedInputTokens},
                          {"cacheWriteTokens", usage.cacheWriteTokens},
                          {"outputTokens", usage.outputTokens}};
    if (usage.provider) {
        object["provider"] = ModelSelection::storedText(*usage.provider);
    }
    putOptional(object, "ollamaHost", usage.ollamaHost);
    putOptional(object, "reportedModel", usage.reportedModel);
    putOptional(object, "modelDigest", usage.modelDigest);
    putOptional(object, "quantization", usage.quantization);
    putOptional(object, "inferenceSeconds", usage.inferenceSeconds);
    putOptional(object, "modelLoadSeconds", usage.modelLoadSeconds);
    putOptional(object, "reportedTokenRequests", usage.reportedTokenRequests);
    return object;
}

StepsModelUsage decodeUsageObject(const nlohmann::json& object)
{
    if (!object.is_object()) {
        throw MonitorStoreError::invalidStoredData();
    }
    StepsModelUsage usage;
    usage.version = decodeStoredInteger(requiredMember(object, "version"));
    usage.model = textValue(requiredMember(object, "model"));
    usage.requests = decodeStoredInteger(requiredMember(object, "requests"));
    usage.unreportedRequests = decodeStoredInteger(requiredMember(object, "unreportedRequests"));
    usage.inputTokens = decodeStoredInteger(requiredMember(object, "inputTokens"));
    usage.cachedInputTokens = decodeStoredInteger(requiredMember(object, "cachedInputTokens"));
    usage.cacheWriteTokens = decodeStoredInteger(requiredMember(object, "cacheWriteTokens"));
    usage.outputTokens = decodeStoredInteger(requiredMember(object, "outputTokens"));
    if (const auto provider = optionalText(object, "provider")) {
        usage.provider = ModelSelection::providerFromStoredText(*provider);
        if (!usage.provider) {
            throw MonitorStoreError::invalidStoredData();
        }
    }
    usage.ollamaHost = optionalText(object, "ollamaHost");
    usage.reportedModel = optionalText(object, "reportedModel");
    usage.modelDigest = optionalText(object, "modelDigest");
    usage.quantization = optionalText(object, "quantization");
    usage.inferenceSeconds = optionalSeconds(object, "inferenceSeconds");
    usage.modelLoadSeconds = optionalSeconds(object, "modelLoadSeconds");
    if (const nlohmann::json* counted = member(object, "reportedTokenRequests")) {
        usage.reportedTokenRequests = decodeStoredInteger(*counted);
    }
    return usage;
}

} // namespace tavlen
