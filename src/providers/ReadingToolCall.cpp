#include "ReadingToolCall.h"

#include "ReadingFailure.h"
#include "ReadingTools.h"
#include "ReadingValidation.h"

namespace tavlen {
namespace {

// True when value is an object whose keys are exactly these (a parsed object never holds two equivalent keys).
bool hasExactlyKeys(const ProviderJSON& value, const std::vector<std::string>& keys)
{
    const ProviderJSON::Object* object = value.asObject();
    if (!object || object->size() != keys.size()) {
        return false;
    }
    for (const std::string& key : keys) {
        if (!value.member(key)) {
            return false;
        }
    }
    return true;
}

[[noreturn]] void reportFailure(const ProviderJSON& arguments)
{
    if (!hasExactlyKeys(arguments, {"reason"})) {
        throw ReadingFailure::invalidReadings();
    }
    const ProviderJSON reasonValue = *arguments.member("reason");
    const std::string* reason = reasonValue.asString();
    if (reason && *reason == notFoundReason) {
        throw ReadingFailure::fieldsNotFound();
    }
    if (reason && *reason == uncertainReason) {
        throw ReadingFailure::fieldsUncertain();
    }
    throw ReadingFailure::invalidReadings();
}

} // namespace

std::vector<Reading>
decodeToolCall(std::string_view toolName, const ProviderJSON& arguments, const std::vector<ReadingField>& fields)
{
    if (!arguments.asObject()) {
        throw ReadingFailure::invalidReadings();
    }
    if (toolName == reportFailureTool.name) {
        reportFailure(arguments);
    }
    if (toolName != submitReadingsTool.name) {
        throw ReadingFailure::invalidReadings();
    }
    std::vector<std::string> keys;
    keys.reserve(fields.size());
    for (const ReadingField& field : fields) {
        keys.push_back(fieldKey(field));
    }
    if (!hasExactlyKeys(arguments, keys)) {
        throw ReadingFailure::invalidReadings();
    }
    std::vector<Reading> readings;
    readings.reserve(fields.size());
    for (const ReadingField& field : fields) {
        readings.push_back(decodeReading(field, arguments));
    }
    return validateReadings(readings, fields);
}

Reading decodeReading(const ReadingField& field, const ProviderJSON& arguments)
{
    const std::optional<ProviderJSON> member = arguments.member(fieldKey(field));
    if (!member || !hasExactlyKeys(*member, {"value"})) {
        throw ReadingFailure::invalidReadings();
    }
    const ProviderJSON value = *member->member("value");
    if (const std::optional<double> number = value.asNumber()) {
        return Reading{field.id, field.name, ReadingValue::ofNumber(*number)};
    }
    if (const std::string* text = value.asString()) {
        return Reading{field.id, field.name, ReadingValue::ofText(*text)};
    }
    throw ReadingFailure::invalidReadings();
}

} // namespace tavlen
