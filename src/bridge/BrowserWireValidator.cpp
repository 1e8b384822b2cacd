#include "BrowserWireValidator.h"

#include "Base64.h"
#include "BridgeFailure.h"
#include "BrowserConfiguration.h"
#include "BrowserPageTree.h"
#include "BrowserResources.h"
#include "JsonParse.h"
#include "WireCoding.h"
#include "WireFormats.h"

#include <cmath>
#include <limits>

namespace tavlen {

namespace {

constexpr std::size_t maximumPageTreeBytes = 4'194'304;
// Deeper than any message the schema describes; bounds the C++ stack for hostile input.
constexpr int maximumJsonDepth = 64;
// A schema whose references chase each other without descending into the value ends here instead of
// exhausting the stack.
constexpr int maximumSchemaDepth = 256;
constexpr std::size_t imageHeaderCharacters = 44;
constexpr unsigned char pngHeader[16] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52};

bool isWholeNumber(const nlohmann::json& value)
{
    if (!value.is_number()) {
        return false;
    }
    const double d = value.get<double>();
    return std::isfinite(d) && d == std::trunc(d);
}

double numberOr(const nlohmann::json& node, const char* key, double fallback)
{
    const auto it = node.find(key);
    return it != node.end() && it->is_number() ? it->get<double>() : fallback;
}

const nlohmann::json* objectMember(const nlohmann::json& node, const char* key)
{
    const auto it = node.find(key);
    return it != node.end() && it->is_object() ? &*it : nullptr;
}

bool allObjects(const nlohmann::json& container)
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

std::uint32_t bigEndian32(const std::string& bytes, std::size_t offset)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    }
    return value;
}

// The first bytes of the image must be a PNG signature and IHDR header carrying the declared size.
bool imageHeaderMatches(const BrowserSnapshot& snapshot)
{
    const std::string_view prefix = std::string_view(snapshot.imageBase64).substr(0, imageHeaderCharacters);
    const auto bytes = base64Decode(prefix);
    if (!bytes || bytes->size() < 24 || bytes->compare(0, 16, reinterpret_cast<const char*>(pngHeader), 16) != 0) {
        return false;
    }
    return bigEndian32(*bytes, 16) == snapshot.imageWidth && bigEndian32(*bytes, 20) == snapshot.imageHeight;
}

void checkRequestRules(const BrowserMessage::Request& message)
{
    const bool bound = message.executionID.has_value();
    const bool wantsBinding = message.request.command != BrowserCommand::status;
    if (bound != wantsBinding) {
        throw BridgeFailure::invalidMessage();
    }
    if (message.request.viewport) {
        message.request.viewport->validate();
    }
}

void checkResponseRules(const BrowserMessage::Response& message)
{
    const auto& snapshot = message.response.snapshot;
    if (!snapshot) {
        return;
    }
    snapshot->pageTree.validate(snapshot->snapshotID);
    if (!imageHeaderMatches(*snapshot)) {
        throw BridgeFailure::invalidMessage();
    }
}

} // namespace

BrowserWireValidator::BrowserWireValidator(nlohmann::json schema, BrowserLimits limits, std::int64_t protocolVersion)
    : m_schema(std::move(schema))
    , m_limits(limits)
    , m_protocolVersion(protocolVersion)
{
    const auto* definitions = m_schema.is_object() ? objectMember(m_schema, "$defs") : nullptr;
    m_definitionsUsable = definitions && allObjects(*definitions);
}

BrowserWireValidator BrowserWireValidator::load()
{
    auto schema = parseJson(loadBrowserResource("schema"));
    if (!schema || !schema->is_object()) {
        throw WireDecodingError("The \"schema\" resource is not a JSON object.");
    }
    const BrowserConfiguration configuration = BrowserConfiguration::load();
    return BrowserWireValidator(std::move(*schema), configuration.limits, configuration.protocolVersion);
}

BrowserMessage BrowserWireValidator::decode(std::string_view data) const
{
    const auto size = static_cast<std::int64_t>(data.size());
    if (size > m_limits.resultBytes) {
        throw BridgeFailure::invalidMessage();
    }
    const auto json = parseJson(data, maximumJsonDepth);
    if (!json || !(json->is_object() || json->is_array())) {
        throw WireDecodingError("The message is not a JSON object or array.");
    }
    if (!checkSchema(*json, m_schema)) {
        throw BridgeFailure::invalidMessage();
    }
    BrowserMessage message = BrowserMessage::decode(*json, m_protocolVersion);
    if (message.kind() != BrowserMessage::Kind::response && size > m_limits.requestBytes) {
        throw BridgeFailure::invalidMessage();
    }
    if (const auto* request = std::get_if<BrowserMessage::Request>(&message.payload)) {
        checkRequestRules(*request);
    } else if (const auto* response = std::get_if<BrowserMessage::Response>(&message.payload)) {
        checkResponseRules(*response);
    }
    return message;
}

bool BrowserWireValidator::checkSchema(const nlohmann::json& value, const nlohmann::json& schemaNode) const
{
    return check(value, schemaNode, 0);
}

void BrowserWireValidator::checkPageTree(const BrowserPageTree& tree) const
{
    const std::string encoded = tree.sortedJSON();
    if (encoded.size() > maximumPageTreeBytes) {
        throw BridgeFailure::invalidMessage();
    }
    const nlohmann::json* pageTree = m_definitionsUsable ? definition("pageTree") : nullptr;
    if (!pageTree) {
        throw BridgeFailure::invalidMessage();
    }
    const auto json = parseJson(encoded, maximumJsonDepth);
    if (!json) {
        throw WireDecodingError("The encoded page tree does not read back as JSON.");
    }
    if (!check(*json, *pageTree, 0)) {
        throw BridgeFailure::invalidMessage();
    }
}

const nlohmann::json* BrowserWireValidator::definition(std::string_view name) const
{
    const auto& definitions = m_schema.at("$defs");
    const auto it = definitions.find(name);
    return it == definitions.end() ? nullptr : &*it;
}

bool BrowserWireValidator::check(const nlohmann::json& value, const nlohmann::json& node, int depth) const
{
    if (!node.is_object() || depth > maximumSchemaDepth) {
        return false;
    }
    if (const auto ref = node.find("$ref"); ref != node.end() && ref->is_string()) {
        const auto& text = ref->get_ref<const std::string&>();
        // Skip eight characters ("#/$defs/"), counted as Unicode scalars.
        std::size_t offset = 0;
        for (int skipped = 0; skipped < 8 && offset < text.size(); ++skipped) {
            do {
                ++offset;
            } while (offset < text.size() && (static_cast<unsigned char>(text[offset]) & 0xC0) == 0x80);
        }
        const nlohmann::json* target =
            m_definitionsUsable ? definition(std::string_view(text).substr(offset)) : nullptr;
        return target && check(value, *target, depth + 1);
    }
    if (const auto oneOf = node.find("oneOf"); oneOf != node.end() && oneOf->is_array() && allObjects(*oneOf)) {
        int satisfied = 0;
        for (const auto& alternative : *oneOf) {
            satisfied += check(value, alternative, depth + 1) ? 1 : 0;
        }
        return satisfied == 1;
    }
    // nlohmann's equality is the rule: numbers by value, booleans never equal to numbers, containers by content.
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
        const nlohmann::json* items = objectMember(node, "items");
        if (!value.is_array() || !items) {
            return false;
        }
        if (const auto maxItems = node.find("maxItems"); maxItems != node.end() && isWholeNumber(*maxItems) &&
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
        const nlohmann::json* properties = objectMember(node, "properties");
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
        for (const auto& [key, member] : value.items()) {
            const auto declared = properties->find(key);
            if (declared == properties->end() || !check(member, *declared, depth + 1)) {
                return false;
            }
        }
        return true;
    }
    return true;
}

bool BrowserWireValidator::checkString(const std::string& value, const nlohmann::json& node) const
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

} // namespace tavlen
