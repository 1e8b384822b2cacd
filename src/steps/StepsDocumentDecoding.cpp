#include "JsonParse.h"
#include "MonitorStoreError.h"
#include "StepsDocument.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>

namespace tavlen {
namespace {

// Any shape problem of the stored JSON. Never leaves this file: decodeStored reports invalidStoredData.
struct ShapeError
{};

const nlohmann::json& requireObject(const nlohmann::json& value)
{
    if (!value.is_object()) {
        throw ShapeError{};
    }
    return value;
}

// A present, non-null member; missing and null alike fail a required key.
const nlohmann::json& required(const nlohmann::json& object, const char* key)
{
    auto it = object.find(key);
    if (it == object.end() || it->is_null()) {
        throw ShapeError{};
    }
    return *it;
}

// A present, non-null member, or nothing: missing and null alike give an absent optional value.
const nlohmann::json* optional(const nlohmann::json& object, const char* key)
{
    auto it = object.find(key);
    if (it == object.end() || it->is_null()) {
        return nullptr;
    }
    return &*it;
}

std::string decodeString(const nlohmann::json& value)
{
    if (!value.is_string()) {
        throw ShapeError{};
    }
    return value.get<std::string>();
}

Uuid decodeUuid(const nlohmann::json& value)
{
    std::optional<Uuid> uuid = Uuid::parse(decodeString(value));
    if (!uuid) {
        throw ShapeError{};
    }
    return *uuid;
}

// Whole numbers: integers in the signed 64-bit range, or a floating-point number with an exact whole value there.
std::int64_t decodeInt64(const nlohmann::json& value)
{
    if (value.is_number_unsigned()) {
        auto number = value.get<std::uint64_t>();
        if (number > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            throw ShapeError{};
        }
        return static_cast<std::int64_t>(number);
    }
    if (value.is_number_integer()) {
        return value.get<std::int64_t>();
    }
    if (value.is_number_float()) {
        double number = value.get<double>();
        // 2^63 itself is out of range; every double below it converts exactly.
        if (std::isfinite(number) && std::trunc(number) == number && number >= -9223372036854775808.0 &&
            number < 9223372036854775808.0) {
            return static_cast<std::int64_t>(number);
        }
    }
    throw ShapeError{};
}

double decodeDouble(const nlohmann::json& value)
{
    if (!value.is_number()) {
        throw ShapeError{};
    }
    return value.get<double>();
}

bool decodeBool(const nlohmann::json& value)
{
    if (!value.is_boolean()) {
        throw ShapeError{};
    }
    return value.get<bool>();
}

StepsDocument::Field decodeField(const nlohmann::json& value)
{
    const nlohmann::json& object = requireObject(value);
    StepsDocument::Field field;
    field.id = decodeUuid(required(object, "id"));
    field.instruction = decodeString(required(object, "instruction"));
    field.name = decodeString(required(object, "name"));
    std::string type = decodeString(required(object, "type"));
    if (type == "text") {
        field.type = StepsDocument::Field::ValueType::text;
    } else if (type == "number") {
        field.type = StepsDocument::Field::ValueType::number;
    } else {
        throw ShapeError{};
    }
    return field;
}

StepsDocument::OpenPage decodeOpenPage(const nlohmann::json& value)
{
    const nlohmann::json& object = requireObject(value);
    StepsDocument::OpenPage openPage;
    openPage.delay = decodeInt64(required(object, "delay"));
    openPage.url = decodeString(required(object, "url"));
    if (const nlohmann::json* viewport = optional(object, "viewport")) {
        requireObject(*viewport);
        BrowserCaptureSettings settings;
        settings.deviceScaleFactor = decodeDouble(required(*viewport, "deviceScaleFactor"));
        settings.height = decodeInt64(required(*viewport, "height"));
        settings.mobile = decodeBool(required(*viewport, "mobile"));
        settings.width = decodeInt64(required(*viewport, "width"));
        openPage.viewport = settings;
    }
    return openPage;
}

StepsDocument::Read decodeRead(const nlohmann::json& value)
{
    const nlohmann::json& object = requireObject(value);
    StepsDocument::Read read;
    const nlohmann::json& fields = required(object, "fields");
    if (!fields.is_array()) {
        throw ShapeError{};
    }
    for (const nlohmann::json& field : fields) {
        read.fields.push_back(decodeField(field));
    }
    if (const nlohmann::json* modelID = optional(object, "modelID")) {
        read.modelID = decodeUuid(*modelID);
    }
    if (const nlohmann::json* timeout = optional(object, "timeoutSeconds")) {
        read.timeoutSeconds = decodeInt64(*timeout);
    }
    return read;
}

// Exactly one of the two case keys; other keys are not counted. A case key holding null still counts, and then
// fails as a payload of the wrong type.
StepsDocument::Content decodeContent(const nlohmann::json& value)
{
    const nlohmann::json& object = requireObject(value);
    auto openPage = object.find("openPage");
    auto read = object.find("read");
    bool hasOpenPage = openPage != object.end();
    bool hasRead = read != object.end();
    if (hasOpenPage == hasRead) {
        throw ShapeError{};
    }
    if (hasOpenPage) {
        return decodeOpenPage(*openPage);
    }
    return decodeRead(*read);
}

StepsDocument::Entry decodeEntry(const nlohmann::json& value)
{
    const nlohmann::json& object = requireObject(value);
    StepsDocument::Entry entry;
    entry.content = decodeContent(required(object, "content"));
    entry.id = decodeUuid(required(object, "id"));
    if (const nlohmann::json* region = optional(object, "region")) {
        requireObject(*region);
        entry.region = BrowserRect{
            decodeDouble(required(*region, "x")),
            decodeDouble(required(*region, "y")),
            decodeDouble(required(*region, "width")),
            decodeDouble(required(*region, "height")),
        };
    }
    if (const nlohmann::json* sourceID = optional(object, "sourceID")) {
        entry.sourceID = decodeUuid(*sourceID);
    }
    return entry;
}

} // namespace

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
        const nlohmann::json& object = requireObject(*json);
        const nlohmann::json& entries = required(object, "steps");
        if (!entries.is_array()) {
            throw ShapeError{};
        }
        StepsDocument document;
        document.steps.reserve(entries.size());
        for (const nlohmann::json& entry : entries) {
            document.steps.push_back(decodeEntry(entry));
        }
        return document;
    } catch (const ShapeError&) {
        throw MonitorStoreError::invalidStoredData();
    }
}

} // namespace tavlen
