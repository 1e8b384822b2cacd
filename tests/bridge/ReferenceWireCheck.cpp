#include "ReferenceWireCheck.h"

#include "Base64.h"
#include "BridgeFailure.h"
#include "BrowserConfiguration.h"
#include "BrowserPageTree.h"
#include "BrowserResources.h"
#include "JsonParse.h"
#include "JsonWriter.h"
#include "Utf8.h"
#include "WireCoding.h"
#include "WireFormats.h"

#include <cmath>
#include <limits>
#include <unordered_map>
#include <unordered_set>

// Copied from the check before frames were parsed in place, changed only where it had to become free functions.
namespace tavlen::reference {

namespace {

using json = nlohmann::json;

constexpr std::size_t maximumPageTreeBytes = 4'194'304;
constexpr int maximumJsonDepth = 64;
constexpr int maximumSchemaDepth = 256;
constexpr std::size_t maximumFragments = 100'000;
constexpr std::size_t imageHeaderCharacters = 44;
constexpr unsigned char pngHeader[16] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52};

// --- Typed field readers -------------------------------------------------------------------------------------

[[noreturn]] void fail(const char* key, const char* expected)
{
    throw WireDecodingError(std::string("\"") + key + "\" must be " + expected + ".");
}

const json& requireObject(const json& value, const char* what)
{
    if (!value.is_object()) {
        throw WireDecodingError(std::string(what) + " must be a JSON object.");
    }
    return value;
}

const json* member(const json& object, const char* key)
{
    const auto it = object.find(key);
    if (it == object.end() || it->is_null()) {
        return nullptr;
    }
    return &*it;
}

const json& present(const json& object, const char* key, const char* expected)
{
    const json* value = member(object, key);
    if (!value) {
        fail(key, expected);
    }
    return *value;
}

std::optional<std::int64_t> integerValue(const json& value)
{
    if (value.is_number_integer() && !value.is_number_unsigned()) {
        return value.get<std::int64_t>();
    }
    if (value.is_number_unsigned()) {
        const auto u = value.get<std::uint64_t>();
        if (u <= static_cast<std::uint64_t>(INT64_MAX)) {
            return static_cast<std::int64_t>(u);
        }
        return std::nullopt;
    }
    if (value.is_number_float()) {
        const double d = value.get<double>();
        if (std::isfinite(d) && d == std::trunc(d) && d >= -9223372036854775808.0 && d < 9223372036854775808.0) {
            return static_cast<std::int64_t>(d);
        }
    }
    return std::nullopt;
}

std::string requiredString(const json& object, const char* key)
{
    const json& value = present(object, key, "a string");
    if (!value.is_string()) {
        fail(key, "a string");
    }
    return value.get<std::string>();
}

std::optional<std::string> optionalString(const json& object, const char* key)
{
    return member(object, key) ? std::optional(requiredString(object, key)) : std::nullopt;
}

std::int64_t requiredInteger(const json& object, const char* key)
{
    const auto value = integerValue(present(object, key, "an integer"));
    if (!value) {
        fail(key, "an integer");
    }
    return *value;
}

std::optional<std::int64_t> optionalInteger(const json& object, const char* key)
{
    return member(object, key) ? std::optional(requiredInteger(object, key)) : std::nullopt;
}

double requiredDouble(const json& object, const char* key)
{
    const json& value = present(object, key, "a number");
    if (!value.is_number()) {
        fail(key, "a number");
    }
    return value.get<double>();
}

std::optional<double> optionalDouble(const json& object, const char* key)
{
    return member(object, key) ? std::optional(requiredDouble(object, key)) : std::nullopt;
}

bool requiredBool(const json& object, const char* key)
{
    const json& value = present(object, key, "a boolean");
    if (!value.is_boolean()) {
        fail(key, "a boolean");
    }
    return value.get<bool>();
}

std::optional<bool> optionalBool(const json& object, const char* key)
{
    return member(object, key) ? std::optional(requiredBool(object, key)) : std::nullopt;
}

const json& requiredObject(const json& object, const char* key)
{
    const json& value = present(object, key, "an object");
    if (!value.is_object()) {
        fail(key, "an object");
    }
    return value;
}

const json* optionalObject(const json& object, const char* key)
{
    return member(object, key) ? &requiredObject(object, key) : nullptr;
}

const json& requiredArray(const json& object, const char* key)
{
    const json& value = present(object, key, "an array");
    if (!value.is_array()) {
        fail(key, "an array");
    }
    return value;
}

std::vector<std::string> requiredStrings(const json& object, const char* key)
{
    const json& array = requiredArray(object, key);
    std::vector<std::string> result;
    for (const auto& item : array) {
        if (!item.is_string()) {
            fail(key, "an array of strings");
        }
        result.push_back(item.get<std::string>());
    }
    return result;
}

std::optional<std::vector<std::string>> optionalStrings(const json& object, const char* key)
{
    return member(object, key) ? std::optional(requiredStrings(object, key)) : std::nullopt;
}

// --- Typed decoders ------------------------------------------------------------------------------------------

BrowserRect decodeRect(const json& value)
{
    const auto& object = requireObject(value, "A rectangle");
    return {requiredDouble(object, "x"),
            requiredDouble(object, "y"),
            requiredDouble(object, "width"),
            requiredDouble(object, "height")};
}

std::optional<BrowserRect> decodeOptionalRect(const json& object, const char* key)
{
    if (const auto* rect = optionalObject(object, key)) {
        return decodeRect(*rect);
    }
    return std::nullopt;
}

BrowserCaptureSettings decodeCaptureSettings(const json& value)
{
    const auto& object = requireObject(value, "Capture settings");
    return {requiredInteger(object, "width"),
            requiredInteger(object, "height"),
            requiredDouble(object, "deviceScaleFactor"),
            requiredBool(object, "mobile")};
}

BrowserRequest decodeRequest(const json& value)
{
    const auto& object = requireObject(value, "A request");
    BrowserRequest request;
    request.requestID = requiredString(object, "requestId");
    const auto command = browserCommandFromName(requiredString(object, "command"));
    if (!command) {
        throw WireDecodingError("\"command\" is not a known command.");
    }
    request.command = *command;
    request.sessionID = optionalString(object, "sessionId");
    request.url = optionalString(object, "url");
    if (const auto* viewport = optionalObject(object, "viewport")) {
        request.viewport = decodeCaptureSettings(*viewport);
    }
    return request;
}

BrowserToolError decodeToolError(const json& value)
{
    const auto& object = requireObject(value, "A tool error");
    return {requiredString(object, "code"), requiredString(object, "message")};
}

BrowserStatus decodeStatus(const json& value)
{
    const auto& object = requireObject(value, "A status");
    BrowserStatus status;
    status.state = requiredString(object, "state");
    status.sessionID = optionalString(object, "sessionId");
    status.busy = requiredBool(object, "busy");
    status.operationsRemaining = requiredInteger(object, "operationsRemaining");
    status.expiresAt = optionalDouble(object, "expiresAt");
    if (const auto* error = optionalObject(object, "lastError")) {
        status.lastError = decodeToolError(*error);
    }
    return status;
}

BrowserPageTree::Node decodeNode(const json& value)
{
    const auto& object = requireObject(value, "A page-tree node");
    BrowserPageTree::Node node;
    node.id = requiredString(object, "id");
    node.children = requiredStrings(object, "children");
    node.kind = requiredString(object, "kind");
    node.frameId = requiredString(object, "frameId");
    node.bounds = decodeOptionalRect(object, "bounds");
    for (const auto& item : requiredArray(object, "fragments")) {
        const auto& fragment = requireObject(item, "A fragment");
        node.fragments.push_back({requiredInteger(fragment, "start"),
                                  requiredInteger(fragment, "length"),
                                  decodeRect(requiredObject(fragment, "bounds"))});
    }
    const auto& visibility = requiredObject(object, "visibility");
    node.visibility = {requiredBool(visibility, "rendered"),
                       requiredBool(visibility, "cssVisible"),
                       decodeOptionalRect(visibility, "clip"),
                       requiredString(visibility, "clipping"),
                       requiredString(visibility, "occlusion")};
    node.source = requiredString(object, "source");
    node.role = optionalString(object, "role");
    node.text = optionalString(object, "text");
    node.name = optionalString(object, "name");
    node.description = optionalString(object, "description");
    node.nameSource = optionalString(object, "nameSource");
    node.value = optionalString(object, "value");
    if (const auto* states = optionalObject(object, "states")) {
        node.states = BrowserPageTree::States{optionalString(*states, "checked"),
                                              optionalString(*states, "pressed"),
                                              optionalBool(*states, "selected"),
                                              optionalBool(*states, "expanded"),
                                              optionalBool(*states, "disabled"),
                                              optionalBool(*states, "readonly"),
                                              optionalBool(*states, "required")};
    }
    if (const auto* structure = optionalObject(object, "structure")) {
        node.structure = BrowserPageTree::Structure{optionalInteger(*structure, "level"),
                                                    optionalInteger(*structure, "row"),
                                                    optionalInteger(*structure, "column"),
                                                    optionalInteger(*structure, "rowSpan"),
                                                    optionalInteger(*structure, "columnSpan"),
                                                    optionalStrings(*structure, "headers")};
    }
    return node;
}

BrowserPageTree decodePageTree(const json& value)
{
    const auto& object = requireObject(value, "A page tree");
    BrowserPageTree tree;
    tree.snapshotId = requiredString(object, "snapshotId");
    tree.startedAt = requiredString(object, "startedAt");
    tree.finishedAt = requiredString(object, "finishedAt");
    tree.status = requiredString(object, "status");
    tree.reasons = requiredStrings(object, "reasons");
    for (const auto& node : requiredArray(object, "nodes")) {
        tree.nodes.push_back(decodeNode(node));
    }
    return tree;
}

BrowserSnapshot decodeSnapshot(const json& value)
{
    const auto& object = requireObject(value, "A snapshot");
    BrowserSnapshot snapshot;
    snapshot.url = requiredString(object, "url");
    const auto& geometry = requireObject(requiredObject(object, "geometry"), "A geometry");
    snapshot.geometry = {requiredDouble(geometry, "width"),
                         requiredDouble(geometry, "height"),
                         requiredDouble(geometry, "pageX"),
                         requiredDouble(geometry, "pageY"),
                         requiredDouble(geometry, "offsetX"),
                         requiredDouble(geometry, "offsetY"),
                         requiredDouble(geometry, "scale"),
                         requiredDouble(geometry, "zoom")};
    snapshot.contentRect = decodeRect(requiredObject(object, "contentRect"));
    snapshot.imageWidth = requiredInteger(object, "imageWidth");
    snapshot.imageHeight = requiredInteger(object, "imageHeight");
    snapshot.imageBase64 = requiredString(object, "imageBase64");
    snapshot.snapshotID = requiredString(object, "snapshotId");
    snapshot.capturedAt = requiredString(object, "capturedAt");
    snapshot.pageTree = decodePageTree(requiredObject(object, "pageTree"));
    return snapshot;
}

BrowserResponse decodeResponse(const json& value)
{
    const auto& object = requireObject(value, "A response");
    BrowserResponse response;
    response.requestID = optionalString(object, "requestId");
    response.status = decodeStatus(requiredObject(object, "status"));
    response.ok = requiredBool(object, "ok");
    if (const auto* snapshot = optionalObject(object, "snapshot")) {
        response.snapshot = decodeSnapshot(*snapshot);
    }
    if (const auto* error = optionalObject(object, "error")) {
        response.error = decodeToolError(*error);
    }
    return response;
}

BrowserMessage decodeMessage(const json& value, std::int64_t protocolVersion)
{
    using M = BrowserMessage;
    using Kind = M::Kind;
    const auto& o = requireObject(value, "A message");
    if (requiredInteger(o, "v") != protocolVersion) {
        throw BridgeFailure::invalidMessage();
    }
    const auto kind = M::kindFromName(requiredString(o, "type"));
    if (!kind) {
        throw WireDecodingError("\"type\" is not a known message kind.");
    }
    switch (*kind) {
    case Kind::hello:
        return {
            M::Hello{requiredString(o, "profileId"), requiredString(o, "profileName"), requiredString(o, "version")}};
    case Kind::welcome:
        return {
            M::Welcome{requiredString(o, "connectionId"), requiredString(o, "version"), requiredBool(o, "selected")}};
    case Kind::selection:
        return {M::Selection{requiredString(o, "connectionId"), requiredBool(o, "selected")}};
    case Kind::ping:
        return {M::Ping{requiredString(o, "connectionId")}};
    case Kind::pong:
        return {M::Pong{requiredString(o, "connectionId")}};
    case Kind::request:
        return {M::Request{requiredString(o, "connectionId"),
                           optionalString(o, "executionId"),
                           requiredInteger(o, "sequence"),
                           decodeRequest(requiredObject(o, "request"))}};
    case Kind::cancel:
        return {M::Cancel{requiredString(o, "connectionId"),
                          requiredString(o, "executionId"),
                          requiredInteger(o, "sequence"),
                          requiredString(o, "requestId")}};
    case Kind::response:
        return {M::Response{requiredString(o, "connectionId"),
                            optionalString(o, "executionId"),
                            decodeResponse(requiredObject(o, "response"))}};
    case Kind::status:
        return {M::Status{requiredString(o, "connectionId"),
                          optionalString(o, "executionId"),
                          decodeStatus(requiredObject(o, "status"))}};
    case Kind::unavailable:
        return {M::Unavailable{requiredString(o, "code"), requiredString(o, "message")}};
    }
    throw WireDecodingError("Unknown message kind.");
}

// --- The schema interpreter ----------------------------------------------------------------------------------

bool isWholeNumber(const json& value)
{
    if (!value.is_number()) {
        return false;
    }
    const double d = value.get<double>();
    return std::isfinite(d) && d == std::trunc(d);
}

double numberOr(const json& node, const char* key, double fallback)
{
    const auto it = node.find(key);
    return it != node.end() && it->is_number() ? it->get<double>() : fallback;
}

const json* objectMember(const json& node, const char* key)
{
    const auto it = node.find(key);
    return it != node.end() && it->is_object() ? &*it : nullptr;
}

bool allObjects(const json& container)
{
    for (const auto& item : container) {
        if (!item.is_object()) {
            return false;
        }
    }
    return true;
}

std::size_t scalarCount(const std::string& text)
{
    std::size_t count = 0;
    for (const char c : text) {
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    return count;
}

class Interpreter
{
public:
    explicit Interpreter(const json& schema)
        : m_schema(schema)
    {
        const auto* definitions = m_schema.is_object() ? objectMember(m_schema, "$defs") : nullptr;
        m_definitionsUsable = definitions && allObjects(*definitions);
    }

    bool check(const json& value, const json& node, int depth) const
    {
        if (!node.is_object() || depth > maximumSchemaDepth) {
            return false;
        }
        if (const auto ref = node.find("$ref"); ref != node.end() && ref->is_string()) {
            const auto& text = ref->get_ref<const std::string&>();
            std::size_t offset = 0;
            for (int skipped = 0; skipped < 8 && offset < text.size(); ++skipped) {
                do {
                    ++offset;
                } while (offset < text.size() && (static_cast<unsigned char>(text[offset]) & 0xC0) == 0x80);
            }
            const json* target = m_definitionsUsable ? definition(std::string_view(text).substr(offset)) : nullptr;
            return target && check(value, *target, depth + 1);
        }
        if (const auto oneOf = node.find("oneOf"); oneOf != node.end() && oneOf->is_array() && allObjects(*oneOf)) {
            int satisfied = 0;
            for (const auto& alternative : *oneOf) {
                satisfied += check(value, alternative, depth + 1) ? 1 : 0;
            }
            return satisfied == 1;
        }
        if (const auto constant = node.find("const"); constant != node.end() && !(value == *constant)) {
            return false;
        }
        if (const auto options = node.find("enum"); options != node.end() && options->is_array()) {
            bool found = false;
            for (const auto& option : *options) {
                if (value == option) {
                    found = true;
                    break;
                }
            }
            if (!found) {
                return false;
            }
        }
        const auto typeEntry = node.find("type");
        if (typeEntry == node.end() || !typeEntry->is_string()) {
            return true;
        }
        const auto& type = typeEntry->get_ref<const std::string&>();
        if (type == "null") {
            return value.is_null();
        }
        if (type == "boolean") {
            return value.is_boolean();
        }
        if (type == "integer" || type == "number") {
            if (!value.is_number()) {
                return false;
            }
            const double number = value.get<double>();
            if (!std::isfinite(number) || (type == "integer" && number != std::round(number))) {
                return false;
            }
            const double negativeInfinity = -std::numeric_limits<double>::infinity();
            if (!(numberOr(node, "minimum", negativeInfinity) <= number)) {
                return false;
            }
            if (const auto maximum = node.find("maximum");
                maximum != node.end() && maximum->is_number() && !(maximum->get<double>() >= number)) {
                return false;
            }
            return numberOr(node, "exclusiveMinimum", negativeInfinity) < number;
        }
        if (type == "string") {
            return value.is_string() && checkString(value.get_ref<const std::string&>(), node);
        }
        if (type == "array") {
            const json* items = objectMember(node, "items");
            if (!value.is_array() || !items) {
                return false;
            }
            if (const auto maxItems = node.find("maxItems");
                maxItems != node.end() && isWholeNumber(*maxItems) &&
                static_cast<double>(value.size()) > maxItems->get<double>()) {
                return false;
            }
            for (const auto& element : value) {
                if (!check(element, *items, depth + 1)) {
                    return false;
                }
            }
            return true;
        }
        if (type == "object") {
            const json* properties = objectMember(node, "properties");
            if (!value.is_object() || !properties || !allObjects(*properties)) {
                return false;
            }
            if (const auto required = node.find("required"); required != node.end() && required->is_array()) {
                bool allTexts = true;
                for (const auto& name : *required) {
                    allTexts = allTexts && name.is_string();
                }
                for (const auto& name : *required) {
                    if (allTexts && !value.contains(name.get_ref<const std::string&>())) {
                        return false;
                    }
                }
            }
            for (const auto& [key, memberValue] : value.items()) {
                const auto declared = properties->find(key);
                if (declared == properties->end() || !check(memberValue, *declared, depth + 1)) {
                    return false;
                }
            }
            return true;
        }
        return true;
    }

    // The old page-tree check: encode with sorted keys, refuse above 4 MiB, read back, check against "pageTree".
    void checkPageTree(const BrowserPageTree& tree) const
    {
        const std::string encoded = writeJson(tree.encode(), {.escapeSlashes = false});
        if (encoded.size() > maximumPageTreeBytes) {
            throw BridgeFailure::invalidMessage();
        }
        const json* pageTree = m_definitionsUsable ? definition("pageTree") : nullptr;
        if (!pageTree) {
            throw BridgeFailure::invalidMessage();
        }
        const auto read = parseJson(encoded, maximumJsonDepth);
        if (!read) {
            throw WireDecodingError("The encoded page tree does not read back as JSON.");
        }
        if (!check(*read, *pageTree, 0)) {
            throw BridgeFailure::invalidMessage();
        }
    }

private:
    bool checkString(const std::string& value, const json& node) const
    {
        const auto minLength = node.find("minLength");
        const auto maxLength = node.find("maxLength");
        const bool boundsLength = (minLength != node.end() && isWholeNumber(*minLength)) ||
                                  (maxLength != node.end() && isWholeNumber(*maxLength));
        if (boundsLength) {
            const auto length = static_cast<double>(scalarCount(value));
            if (minLength != node.end() && isWholeNumber(*minLength) && minLength->get<double>() > length) {
                return false;
            }
            if (maxLength != node.end() && isWholeNumber(*maxLength) && maxLength->get<double>() < length) {
                return false;
            }
        }
        if (const auto pattern = node.find("pattern"); pattern != node.end() && pattern->is_string()) {
            if (!wire_format::patternFound(pattern->get_ref<const std::string&>(), value)) {
                return false;
            }
        }
        if (const auto format = node.find("format"); format != node.end() && format->is_string()) {
            return wire_format::formatAccepts(format->get_ref<const std::string&>(), value);
        }
        return true;
    }

    const json* definition(std::string_view name) const
    {
        const auto& definitions = m_schema.at("$defs");
        const auto it = definitions.find(name);
        return it == definitions.end() ? nullptr : &*it;
    }

    const json& m_schema;
    bool m_definitionsUsable = false;
};

// --- Semantic rules ------------------------------------------------------------------------------------------

std::string idKey(const std::string& id)
{
    for (const char c : id) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return normalizedNFC(id);
        }
    }
    return id;
}

std::vector<bool> lowSurrogateUnits(std::string_view text)
{
    std::vector<bool> units;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t width = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        units.push_back(false);
        if (width == 4) {
            units.push_back(true);
        }
        i += width;
    }
    return units;
}

bool fragmentsFit(const BrowserPageTree::Node& node)
{
    if (node.fragments.empty()) {
        return true;
    }
    const std::vector<bool> units = lowSurrogateUnits(node.text.value_or(std::string()));
    const auto n = static_cast<std::int64_t>(units.size());
    const auto splitsPair = [&](std::int64_t boundary) {
        return boundary > 0 && boundary < n && units[static_cast<std::size_t>(boundary)];
    };
    for (const auto& fragment : node.fragments) {
        if (fragment.start < 0 || fragment.length < 0 || fragment.start > n || fragment.length > n - fragment.start) {
            return false;
        }
        if (splitsPair(fragment.start) || splitsPair(fragment.start + fragment.length)) {
            return false;
        }
    }
    return true;
}

bool rulesHold(const BrowserPageTree& tree, std::string_view snapshotID)
{
    if (!textEqual(tree.snapshotId, snapshotID)) {
        return false;
    }
    if (tree.finishedAt < tree.startedAt) {
        return false;
    }
    if (tree.status == "unavailable" && !tree.nodes.empty()) {
        return false;
    }
    if ((tree.status == "complete") != tree.reasons.empty()) {
        return false;
    }
    std::unordered_map<std::string, std::size_t> positions;
    for (std::size_t i = 0; i < tree.nodes.size(); ++i) {
        if (!positions.emplace(idKey(tree.nodes[i].id), i).second) {
            return false;
        }
    }
    std::unordered_set<std::string> seenChildren;
    std::size_t fragmentCount = 0;
    for (std::size_t i = 0; i < tree.nodes.size(); ++i) {
        const auto& node = tree.nodes[i];
        for (const auto& child : node.children) {
            std::string key = idKey(child);
            const auto found = positions.find(key);
            if (found == positions.end() || found->second <= i || !seenChildren.insert(std::move(key)).second) {
                return false;
            }
        }
        if (node.structure && node.structure->headers) {
            for (const auto& header : *node.structure->headers) {
                if (!positions.contains(idKey(header))) {
                    return false;
                }
            }
        }
        if (!fragmentsFit(node)) {
            return false;
        }
        fragmentCount += node.fragments.size();
    }
    return fragmentCount <= maximumFragments;
}

void validatePageTree(const BrowserPageTree& tree, std::string_view snapshotID)
{
    // The old validate loaded a validator from the bundle resources each time.
    const auto schema = parseJson(loadBrowserResource("schema"));
    if (!schema || !schema->is_object()) {
        throw WireDecodingError("The \"schema\" resource is not a JSON object.");
    }
    BrowserConfiguration::load();
    Interpreter(*schema).checkPageTree(tree);
    if (!rulesHold(tree, snapshotID)) {
        throw BridgeFailure::invalidMessage();
    }
}

std::uint32_t bigEndian32(const std::string& bytes, std::size_t offset)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    }
    return value;
}

bool imageHeaderMatches(const BrowserSnapshot& snapshot)
{
    const std::string_view prefix = std::string_view(snapshot.imageBase64).substr(0, imageHeaderCharacters);
    const auto bytes = base64Decode(prefix);
    if (!bytes || bytes->size() < 24 || bytes->compare(0, 16, reinterpret_cast<const char*>(pngHeader), 16) != 0) {
        return false;
    }
    return bigEndian32(*bytes, 16) == snapshot.imageWidth && bigEndian32(*bytes, 20) == snapshot.imageHeight;
}

void validateCaptureSettings(const BrowserCaptureSettings& settings)
{
    const bool sidesInRange =
        settings.width >= 1 && settings.width <= 8'000'000 && settings.height >= 1 && settings.height <= 8'000'000;
    if (!sidesInRange || !std::isfinite(settings.deviceScaleFactor) || !(settings.deviceScaleFactor > 0)) {
        throw BridgeFailure(bridge_text::invalidCaptureSettings, bridge_code::invalidRequest);
    }
}

} // namespace

BrowserMessage decode(const nlohmann::json& schema, const BrowserLimits& limits, std::string_view data)
{
    const auto size = static_cast<std::int64_t>(data.size());
    if (size > limits.resultBytes) {
        throw BridgeFailure::invalidMessage();
    }
    const auto value = parseJson(data, maximumJsonDepth);
    if (!value || !(value->is_object() || value->is_array())) {
        throw WireDecodingError("The message is not a JSON object or array.");
    }
    if (!Interpreter(schema).check(*value, schema, 0)) {
        throw BridgeFailure::invalidMessage();
    }
    BrowserMessage message = decodeMessage(*value, BrowserConfiguration::load().protocolVersion);
    if (message.kind() != BrowserMessage::Kind::response && size > limits.requestBytes) {
        throw BridgeFailure::invalidMessage();
    }
    if (const auto* request = std::get_if<BrowserMessage::Request>(&message.payload)) {
        const bool bound = request->executionID.has_value();
        if (bound != (request->request.command != BrowserCommand::status)) {
            throw BridgeFailure::invalidMessage();
        }
        if (request->request.viewport) {
            validateCaptureSettings(*request->request.viewport);
        }
    } else if (const auto* response = std::get_if<BrowserMessage::Response>(&message.payload)) {
        if (const auto& snapshot = response->response.snapshot) {
            validatePageTree(snapshot->pageTree, snapshot->snapshotID);
            if (!imageHeaderMatches(*snapshot)) {
                throw BridgeFailure::invalidMessage();
            }
        }
    }
    return message;
}

bool checkSchema(const nlohmann::json& schema, const nlohmann::json& value, const nlohmann::json& node)
{
    return Interpreter(schema).check(value, node, 0);
}

} // namespace tavlen::reference
