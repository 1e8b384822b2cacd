#include "OllamaChat.h"

#include "Base64.h"
#include "ProviderFailure.h"
#include "ReadingPrompt.h"
#include "ReadingRequestSupport.h"
#include "ReadingTools.h"
#include "ReadingValidation.h"
#include "TransportText.h"
#include "Utf8.h"

#include <set>

namespace tavlen {

namespace {

constexpr std::int64_t largestCount = 10'000'000;
constexpr int outputTokens = 8192;

ProviderJSON text(std::string_view value)
{
    return ProviderJSON::string(std::string(value));
}

ProviderJSON constant(std::string_view value)
{
    return ProviderJSON::object({{"const", text(value)}});
}

std::set<std::string> keysOf(const ProviderJSON::Object& object)
{
    std::set<std::string> keys;
    for (const auto& member : object) {
        keys.insert(member.first);
    }
    return keys;
}

} // namespace

ProviderJSON ollamaFormatSchema(const std::vector<ReadingField>& fields)
{
    ProviderJSON::Object values;
    for (const ReadingField& field : fields) {
        values.emplace(
            fieldKey(field),
            ProviderJSON::object({{"type", text(field.type == ReadingFieldType::number ? "number" : "string")}}));
    }
    const ProviderJSON success =
        strictObjectSchema({{"status", constant("success")}, {"values", strictObjectSchema(values)}});
    const ProviderJSON failure = strictObjectSchema(
        {{"status", constant("failure")},
         {"reason",
          ProviderJSON::object(
              {{"type", text("string")}, {"enum", ProviderJSON::array({text("not_found"), text("uncertain")})}})}});
    return ProviderJSON::object({{"oneOf", ProviderJSON::array({success, failure})}});
}

ProviderJSON ollamaChatBody(const std::string& modelIdentifier,
                            const ProviderJSON& formatSchema,
                            const std::string& fieldListJSON,
                            std::string_view png,
                            std::string_view evidenceJSON)
{
    std::string system(ollamaInstructionText);
    system += readingEvidenceRules;
    system += ollamaOutputRules;
    system += formatSchema.encoded();
    std::string user = fieldListJSON;
    user += "\n\nStructured page evidence:\n";
    user += evidenceJSON;
    return ProviderJSON::object(
        {{"model", ProviderJSON::string(modelIdentifier)},
         {"stream", ProviderJSON::boolean(false)},
         {"format", formatSchema},
         {"options",
          ProviderJSON::object(
              {{"temperature", ProviderJSON::number(0)}, {"num_predict", ProviderJSON::number(outputTokens)}})},
         {"messages",
          ProviderJSON::array(
              {ProviderJSON::object({{"role", text("system")}, {"content", ProviderJSON::string(std::move(system))}}),
               ProviderJSON::object({{"role", text("user")},
                                     {"content", ProviderJSON::string(std::move(user))},
                                     {"images", ProviderJSON::array({ProviderJSON::string(base64Encode(png))})}})})}});
}

ModelUsage ollamaUsage(const ProviderJSON& answer)
{
    ModelUsage usage;
    usage.inputTokens = usageCount(answer.member("prompt_eval_count"), largestCount);
    usage.outputTokens = usageCount(answer.member("eval_count"), largestCount);
    if (const std::optional<ProviderJSON> model = answer.member("model"); model && model->asString()) {
        usage.reportedModel = *model->asString();
    }
    const std::optional<double> load = answer.member("load_duration").value_or(ProviderJSON()).asNumber();
    if (load && *load >= 0) {
        usage.loadSeconds = *load / 1e9;
    }
    return usage;
}

std::vector<Reading>
parseOllamaChatResponse(std::string_view body, const std::vector<ReadingField>& fields, const std::string& model)
{
    const ProviderJSON answer = ProviderJSON::parse(body);
    const auto invalid = [] { return ProviderFailure::invalidProviderResponse(); };
    const std::optional<ProviderJSON> reportedModel = answer.member("model");
    if (answer.member("done").value_or(ProviderJSON()).asBool() != true || !reportedModel ||
        !reportedModel->asString() || !textEqual(*reportedModel->asString(), model) || answer.member("error")) {
        throw invalid();
    }
    const std::optional<ProviderJSON> doneReason = answer.member("done_reason");
    if (doneReason && doneReason->asString() && *doneReason->asString() == "length") {
        throw ProviderFailure(provider_code::ollamaOutputLimit, provider_text::ollamaOutputLimit, false);
    }
    if (!doneReason || !doneReason->asString() || *doneReason->asString() != "stop") {
        throw invalid();
    }
    const std::optional<ProviderJSON> content = answer.member("message").value_or(ProviderJSON()).member("content");
    if (!content || !content->asString()) {
        throw invalid();
    }
    const ProviderJSON output = ProviderJSON::parse(*content->asString());
    const ProviderJSON::Object* members = output.asObject();
    if (members == nullptr || members->empty()) {
        throw invalid();
    }
    const std::optional<ProviderJSON> status = output.member("status");
    const std::string* statusText = status ? status->asString() : nullptr;
    if (statusText != nullptr && *statusText == "failure") {
        const std::optional<ProviderJSON> reason = output.member("reason");
        const std::string* reasonText = reason ? reason->asString() : nullptr;
        if (keysOf(*members) != std::set<std::string>{"reason", "status"} || reasonText == nullptr ||
            (*reasonText != notFoundReason && *reasonText != uncertainReason)) {
            throw invalid();
        }
        throw ProviderFailure(
            std::string(provider_code::readingPrefix) + *reasonText, provider_text::ollamaReadingFailed, false);
    }
    const std::optional<ProviderJSON> values = output.member("values");
    if (statusText == nullptr || *statusText != "success" ||
        keysOf(*members) != std::set<std::string>{"status", "values"} || !values->asObject()) {
        throw invalid();
    }
    std::set<std::string> expected;
    for (const ReadingField& field : fields) {
        expected.insert(fieldKey(field));
    }
    if (keysOf(*values->asObject()) != expected) {
        throw invalid();
    }
    std::vector<Reading> readings;
    for (const ReadingField& field : fields) {
        const ProviderJSON value = *values->member(fieldKey(field));
        Reading reading{field.id, field.name, ReadingValue::ofNumber(0)};
        if (const std::optional<double> number = value.asNumber()) {
            reading.value = ReadingValue::ofNumber(*number);
        } else if (const std::string* string = value.asString()) {
            reading.value = ReadingValue::ofText(*string);
        } else {
            throw invalid();
        }
        readings.push_back(std::move(reading));
    }
    return validateReadings(readings, fields);
}

} // namespace tavlen
