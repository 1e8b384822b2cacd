#include "StepsDocument.h"

#include "JsonWriter.h"
#include "ListEquality.h"
#include "Utf8.h"

#include <nlohmann/json.hpp>

namespace tavlen {
namespace {

nlohmann::json encodeField(const StepsDocument::Field& field)
{
    return nlohmann::json{
        {"id", field.id.uppercaseString()},
        {"instruction", field.instruction},
        {"name", field.name},
        {"type", field.type == StepsDocument::Field::ValueType::number ? "number" : "text"},
    };
}

nlohmann::json encodeContent(const StepsDocument::Content& content)
{
    if (const auto* openPage = std::get_if<StepsDocument::OpenPage>(&content)) {
        nlohmann::json payload{{"delay", openPage->delay}, {"url", openPage->url}};
        if (openPage->viewport) {
            const BrowserCaptureSettings& viewport = *openPage->viewport;
            payload["viewport"] = nlohmann::json{
                {"deviceScaleFactor", viewport.deviceScaleFactor},
                {"height", viewport.height},
                {"mobile", viewport.mobile},
                {"width", viewport.width},
            };
        }
        return nlohmann::json{{"openPage", std::move(payload)}};
    }
    const auto& read = std::get<StepsDocument::Read>(content);
    nlohmann::json fields = nlohmann::json::array();
    for (const StepsDocument::Field& field : read.fields) {
        fields.push_back(encodeField(field));
    }
    nlohmann::json payload{{"fields", std::move(fields)}};
    if (read.modelID) {
        payload["modelID"] = read.modelID->uppercaseString();
    }
    if (read.timeoutSeconds) {
        payload["timeoutSeconds"] = *read.timeoutSeconds;
    }
    return nlohmann::json{{"read", std::move(payload)}};
}

nlohmann::json encodeEntry(const StepsDocument::Entry& entry)
{
    nlohmann::json object{{"content", encodeContent(entry.content)}, {"id", entry.id.uppercaseString()}};
    if (entry.region) {
        object["region"] = nlohmann::json{
            {"height", entry.region->height},
            {"width", entry.region->width},
            {"x", entry.region->x},
            {"y", entry.region->y},
        };
    }
    if (entry.sourceID) {
        object["sourceID"] = entry.sourceID->uppercaseString();
    }
    return object;
}

} // namespace

bool operator==(const StepsDocument::Field& a, const StepsDocument::Field& b)
{
    return a.id == b.id && a.type == b.type && utf8Equal(a.name, b.name) && utf8Equal(a.instruction, b.instruction);
}

bool operator==(const StepsDocument::OpenPage& a, const StepsDocument::OpenPage& b)
{
    return utf8Equal(a.url, b.url) && a.delay == b.delay && a.viewport == b.viewport;
}

bool operator==(const StepsDocument::Read& a, const StepsDocument::Read& b)
{
    return stepsFieldsEqual(a.fields, b.fields) && a.modelID == b.modelID && a.timeoutSeconds == b.timeoutSeconds;
}

bool operator==(const StepsDocument::Entry& a, const StepsDocument::Entry& b)
{
    return a.id == b.id && a.sourceID == b.sourceID && a.region == b.region && a.content == b.content;
}

bool operator==(const StepsDocument& a, const StepsDocument& b)
{
    return stepsEntriesEqual(a.steps, b.steps);
}

bool stepsEntriesEqual(const std::vector<StepsDocument::Entry>& a, const std::vector<StepsDocument::Entry>& b)
{
    return listsEqual(a, b, [](const StepsDocument::Entry& x, const StepsDocument::Entry& y) { return x == y; });
}

bool stepsFieldsEqual(const std::vector<StepsDocument::Field>& a, const std::vector<StepsDocument::Field>& b)
{
    return listsEqual(a, b, [](const StepsDocument::Field& x, const StepsDocument::Field& y) { return x == y; });
}

std::string StepsDocument::encodeStored() const
{
    nlohmann::json entries = nlohmann::json::array();
    for (const Entry& entry : steps) {
        entries.push_back(encodeEntry(entry));
    }
    return writeJson(nlohmann::json{{"steps", std::move(entries)}}, JsonWriteOptions{.escapeSlashes = false});
}

} // namespace tavlen
