#include "ReadingTools.h"

namespace tavlen {
namespace {

ProviderJSON text(std::string_view value)
{
    return ProviderJSON::string(std::string(value));
}

ProviderJSON typeSchema(std::string_view type)
{
    return ProviderJSON::object({{"type", text(type)}});
}

} // namespace

std::string fieldKey(const ReadingField& field)
{
    return field.id.lowercaseString();
}

std::string readingFieldListJSON(const std::vector<ReadingField>& fields)
{
    ProviderJSON::Array list;
    list.reserve(fields.size());
    for (const ReadingField& field : fields) {
        list.push_back(ProviderJSON::object({
            {"id", ProviderJSON::string(fieldKey(field))},
            {"name", ProviderJSON::string(field.name)},
            {"type", text(displayText(field.type))},
            {"instruction", ProviderJSON::string(field.instruction)},
        }));
    }
    return ProviderJSON::array(std::move(list)).encoded({.escapeSlashes = true});
}

ProviderJSON strictObjectSchema(const ProviderJSON::Object& properties)
{
    ProviderJSON::Array required;
    required.reserve(properties.size());
    for (const auto& [key, schema] : properties) { // the map keeps its keys in ascending order
        required.push_back(ProviderJSON::string(key));
    }
    return ProviderJSON::object({
        {"type", text("object")},
        {"properties", ProviderJSON::object(properties)},
        {"required", ProviderJSON::array(std::move(required))},
        {"additionalProperties", ProviderJSON::boolean(false)},
    });
}

ProviderJSON submitReadingsSchema(const std::vector<ReadingField>& fields)
{
    ProviderJSON::Object properties;
    for (const ReadingField& field : fields) {
        const std::string_view type = field.type == ReadingFieldType::number ? "number" : "string";
        properties.emplace(fieldKey(field), strictObjectSchema({{"value", typeSchema(type)}}));
    }
    return strictObjectSchema(properties);
}

const ProviderJSON& reportFailureSchema()
{
    static const ProviderJSON schema = strictObjectSchema({
        {"reason",
         ProviderJSON::object({
             {"type", text("string")},
             {"enum", ProviderJSON::array({text(notFoundReason), text(uncertainReason)})},
         })},
    });
    return schema;
}

} // namespace tavlen
