#include "StepsDocument.h"

#include "JsonFields.h"
#include "JsonParse.h"
#include "JsonWriter.h"
#include "ListEquality.h"
#include "MonitorStoreError.h"
#include "PageURL.h"
#include "StepsText.h"
#include "Utf8.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <unordered_set>

namespace tavlen {
namespace {

using namespace json_fields;

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
            payload["viewport"] = openPage->viewport->encode();
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
        object["region"] = entry.region->encode();
    }
    if (entry.sourceID) {
        object["sourceID"] = entry.sourceID->uppercaseString();
    }
    return object;
}

// A shape problem that the field readers cannot see. Like theirs, it never leaves this file: decodeStored reports
// invalidStoredData.
[[noreturn]] void malformed()
{
    throw JsonDecodingError("The stored steps are malformed.");
}

Uuid requiredUuid(const nlohmann::json& object, const char* key)
{
    std::optional<Uuid> uuid = Uuid::parse(requiredString(object, key));
    if (!uuid) {
        malformed();
    }
    return *uuid;
}

std::optional<Uuid> optionalUuid(const nlohmann::json& object, const char* key)
{
    if (!member(object, key)) {
        return std::nullopt;
    }
    return requiredUuid(object, key);
}

StepsDocument::Field decodeField(const nlohmann::json& value)
{
    const nlohmann::json& object = requireObject(value, "A field");
    StepsDocument::Field field;
    field.id = requiredUuid(object, "id");
    field.instruction = requiredString(object, "instruction");
    field.name = requiredString(object, "name");
    std::string type = requiredString(object, "type");
    if (type == "text") {
        field.type = StepsDocument::Field::ValueType::text;
    } else if (type == "number") {
        field.type = StepsDocument::Field::ValueType::number;
    } else {
        malformed();
    }
    return field;
}

StepsDocument::OpenPage decodeOpenPage(const nlohmann::json& value)
{
    const nlohmann::json& object = requireObject(value, "An Open page step");
    StepsDocument::OpenPage openPage;
    openPage.delay = requiredInteger(object, "delay");
    openPage.url = requiredString(object, "url");
    if (const nlohmann::json* viewport = member(object, "viewport")) {
        openPage.viewport = BrowserCaptureSettings::decodeStored(*viewport);
    }
    return openPage;
}

StepsDocument::Read decodeRead(const nlohmann::json& value)
{
    const nlohmann::json& object = requireObject(value, "A Read step");
    StepsDocument::Read read;
    for (const nlohmann::json& field : requiredArray(object, "fields")) {
        read.fields.push_back(decodeField(field));
    }
    read.modelID = optionalUuid(object, "modelID");
    read.timeoutSeconds = optionalInteger(object, "timeoutSeconds");
    return read;
}

// Exactly one of the two case keys; other keys are not counted. A case key holding null still counts, and then
// fails as a payload of the wrong type.
StepsDocument::Content decodeContent(const nlohmann::json& value)
{
    const nlohmann::json& object = requireObject(value, "A step's content");
    auto openPage = object.find("openPage");
    auto read = object.find("read");
    bool hasOpenPage = openPage != object.end();
    bool hasRead = read != object.end();
    if (hasOpenPage == hasRead) {
        malformed();
    }
    if (hasOpenPage) {
        return decodeOpenPage(*openPage);
    }
    return decodeRead(*read);
}

StepsDocument::Entry decodeEntry(const nlohmann::json& value)
{
    const nlohmann::json& object = requireObject(value, "A step");
    StepsDocument::Entry entry;
    entry.content = decodeContent(requiredObject(object, "content"));
    entry.id = requiredUuid(object, "id");
    if (const nlohmann::json* region = member(object, "region")) {
        entry.region = BrowserRect::decodeStored(*region);
    }
    entry.sourceID = optionalUuid(object, "sourceID");
    return entry;
}

[[noreturn]] void refuse(std::string_view sentence)
{
    throw MonitorStoreError::validation(std::string(sentence));
}

[[noreturn]] void broken()
{
    throw MonitorStoreError::invalidStoredData();
}

bool isUsableRegion(const std::optional<BrowserRect>& region)
{
    return region && std::isfinite(region->x) && std::isfinite(region->y) && std::isfinite(region->width) &&
           std::isfinite(region->height) && region->width > 0 && region->height > 0;
}

void checkOpenPage(const StepsDocument::OpenPage& openPage)
{
    if (!pageURL(openPage.url)) {
        refuse(steps_text::documentURL);
    }
    if (openPage.delay < 0 || openPage.delay > StepsDocument::OpenPage::maximumDelay) {
        refuse(steps_text::documentDelay);
    }
    const std::optional<BrowserCaptureSettings>& viewport = openPage.viewport;
    if (!viewport || !viewport->isValid()) {
        refuse(steps_text::documentViewport);
    }
}

void checkRead(const StepsDocument::Read& read, std::unordered_set<Uuid>& seenFieldIDs)
{
    if (!read.timeoutSeconds || *read.timeoutSeconds < 1) {
        refuse(steps_text::documentTimeout);
    }
    if (read.fields.empty()) {
        refuse(steps_text::documentNoFields);
    }
    for (const StepsDocument::Field& field : read.fields) {
        if (!seenFieldIDs.insert(field.id).second) {
            broken();
        }
        if (trimWhitespaceAndNewlines(field.name).empty()) {
            refuse(steps_text::documentFieldName);
        }
    }
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

StepsDocument StepsDocument::decodeStored(std::string_view text, std::int64_t version)
{
    if (version != formatVersion) {
        throw MonitorStoreError::unsupportedStepsFormat(version);
    }
    std::optional<nlohmann::json> json = parseJson(text);
    if (!json) {
        throw MonitorStoreError::invalidStoredData();
    }
    try {
        const nlohmann::json& entries = requiredArray(requireObject(*json, "The stored steps"), "steps");
        StepsDocument document;
        document.steps.reserve(entries.size());
        for (const nlohmann::json& entry : entries) {
            document.steps.push_back(decodeEntry(entry));
        }
        return document;
    } catch (const JsonDecodingError&) {
        throw MonitorStoreError::invalidStoredData();
    }
}

void StepsDocument::validate() const
{
    if (steps.empty()) {
        broken();
    }
    const Entry& first = steps.front();
    if (!std::holds_alternative<OpenPage>(first.content) || first.sourceID || first.region) {
        broken();
    }
    std::unordered_set<Uuid> stepIDs;
    for (const Entry& entry : steps) {
        if (!stepIDs.insert(entry.id).second) {
            broken();
        }
    }
    std::unordered_set<Uuid> seenFieldIDs;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Entry& entry = steps[i];
        if (i > 0) {
            if (entry.sourceID != first.id || !isUsableRegion(entry.region)) {
                broken();
            }
            if (std::holds_alternative<OpenPage>(entry.content)) {
                broken();
            }
        }
        if (const auto* openPage = std::get_if<OpenPage>(&entry.content)) {
            checkOpenPage(*openPage);
        } else {
            checkRead(std::get<Read>(entry.content), seenFieldIDs);
        }
    }
}

} // namespace tavlen
