#include "ProviderJSON.h"

#include "JsonParse.h"
#include "ProviderFailure.h"
#include "ProviderJSONScanner.h"
#include "Utf8.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <stdexcept>
#include <variant>

namespace tavlen {

struct ProviderJSON::Payload
{
    std::variant<Object, Array, std::string, double, bool> value;
};

namespace {

// The member whose key is canonically equivalent to key. Byte-equal keys are found by the map itself; only a
// non-ASCII key on either side can be equivalent without being byte-equal.
const ProviderJSON* findMember(const ProviderJSON::Object& object, std::string_view key)
{
    if (const auto found = object.find(key); found != object.end()) {
        return &found->second;
    }
    const bool keyIsASCII = isASCII(key);
    for (const auto& [candidate, value] : object) {
        if ((!keyIsASCII || !isASCII(candidate)) && textEqual(candidate, key)) {
            return &value;
        }
    }
    return nullptr;
}

bool objectsEqual(const ProviderJSON::Object& a, const ProviderJSON::Object& b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (const auto& [key, value] : a) {
        const ProviderJSON* other = findMember(b, key);
        if (!other || !(value == *other)) {
            return false;
        }
    }
    return true;
}

bool providerJSONArraysEqual(const ProviderJSON::Array& a, const ProviderJSON::Array& b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!(a[i] == b[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

ProviderJSON ProviderJSON::object(Object members)
{
    return ProviderJSON(std::make_shared<const Payload>(Payload{std::move(members)}));
}

ProviderJSON ProviderJSON::array(Array elements)
{
    return ProviderJSON(std::make_shared<const Payload>(Payload{std::move(elements)}));
}

ProviderJSON ProviderJSON::string(std::string text)
{
    return ProviderJSON(std::make_shared<const Payload>(Payload{std::move(text)}));
}

ProviderJSON ProviderJSON::number(double value)
{
    if (!std::isfinite(value)) {
        throw std::invalid_argument("a provider JSON number must be finite");
    }
    return ProviderJSON(std::make_shared<const Payload>(Payload{value}));
}

ProviderJSON ProviderJSON::boolean(bool value)
{
    return ProviderJSON(std::make_shared<const Payload>(Payload{value}));
}

ProviderJSON ProviderJSON::parse(std::string_view body)
{
    if (!ProviderJSONScanner(body).scanDocument()) {
        throw ProviderFailure::invalidProviderResponse();
    }
    // The scanner only delimits scalars; the general parser judges them, and refuses a NUL byte, which nlohmann's
    // reader alone would take for the end of the body ("6\0anything" reads as 6).
    const std::optional<nlohmann::json> tree = parseJson(body, maximumDepth + 1);
    if (!tree) {
        throw ProviderFailure::invalidProviderResponse();
    }
    std::optional<ProviderJSON> value = fromJson(*tree);
    if (!value) {
        throw ProviderFailure::invalidProviderResponse();
    }
    return std::move(*value);
}

std::optional<ProviderJSON> ProviderJSON::fromJson(const nlohmann::json& value)
{
    using Type = nlohmann::json::value_t;
    switch (value.type()) {
    case Type::null:
        return null();
    case Type::boolean:
        return boolean(value.get<bool>());
    case Type::string:
        return string(value.get<std::string>());
    case Type::number_integer:
        return number(static_cast<double>(value.get<std::int64_t>()));
    case Type::number_unsigned:
        return number(static_cast<double>(value.get<std::uint64_t>()));
    case Type::number_float: {
        const double number = value.get<double>();
        if (!std::isfinite(number)) {
            return std::nullopt;
        }
        return ProviderJSON::number(number);
    }
    case Type::object: {
        Object members;
        for (const auto& [key, member] : value.items()) {
            std::optional<ProviderJSON> decoded = fromJson(member);
            if (!decoded) {
                return std::nullopt;
            }
            members.emplace(key, std::move(*decoded));
        }
        return object(std::move(members));
    }
    case Type::array: {
        Array elements;
        elements.reserve(value.size());
        for (const auto& element : value) {
            std::optional<ProviderJSON> decoded = fromJson(element);
            if (!decoded) {
                return std::nullopt;
            }
            elements.push_back(std::move(*decoded));
        }
        return array(std::move(elements));
    }
    case Type::binary:
    case Type::discarded:
        break;
    }
    return std::nullopt;
}

ProviderJSON::Kind ProviderJSON::kind() const
{
    if (!m_payload) {
        return Kind::null;
    }
    return static_cast<Kind>(m_payload->value.index());
}

const ProviderJSON::Object* ProviderJSON::asObject() const
{
    return m_payload ? std::get_if<Object>(&m_payload->value) : nullptr;
}

const ProviderJSON::Array* ProviderJSON::asArray() const
{
    return m_payload ? std::get_if<Array>(&m_payload->value) : nullptr;
}

const std::string* ProviderJSON::asString() const
{
    return m_payload ? std::get_if<std::string>(&m_payload->value) : nullptr;
}

std::optional<double> ProviderJSON::asNumber() const
{
    const double* number = m_payload ? std::get_if<double>(&m_payload->value) : nullptr;
    return number ? std::optional<double>(*number) : std::nullopt;
}

std::optional<bool> ProviderJSON::asBool() const
{
    const bool* flag = m_payload ? std::get_if<bool>(&m_payload->value) : nullptr;
    return flag ? std::optional<bool>(*flag) : std::nullopt;
}

std::optional<ProviderJSON> ProviderJSON::member(std::string_view key) const
{
    const Object* object = asObject();
    const ProviderJSON* found = object ? findMember(*object, key) : nullptr;
    return found ? std::optional<ProviderJSON>(*found) : std::nullopt;
}

nlohmann::json ProviderJSON::toJson() const
{
    switch (kind()) {
    case Kind::object: {
        nlohmann::json object = nlohmann::json::object();
        for (const auto& [key, member] : *asObject()) {
            object[key] = member.toJson();
        }
        return object;
    }
    case Kind::array: {
        nlohmann::json array = nlohmann::json::array();
        for (const auto& element : *asArray()) {
            array.push_back(element.toJson());
        }
        return array;
    }
    case Kind::string:
        return *asString();
    case Kind::number:
        return *asNumber();
    case Kind::boolean:
        return *asBool();
    case Kind::null:
        break;
    }
    return nullptr;
}

std::string ProviderJSON::encoded(const JsonWriteOptions& options) const
{
    return writeJson(toJson(), options);
}

bool operator==(const ProviderJSON& a, const ProviderJSON& b)
{
    if (a.kind() != b.kind()) {
        return false;
    }
    switch (a.kind()) {
    case ProviderJSON::Kind::object:
        return objectsEqual(*a.asObject(), *b.asObject());
    case ProviderJSON::Kind::array:
        return providerJSONArraysEqual(*a.asArray(), *b.asArray());
    case ProviderJSON::Kind::string:
        return textEqual(*a.asString(), *b.asString());
    case ProviderJSON::Kind::number:
        return *a.asNumber() == *b.asNumber();
    case ProviderJSON::Kind::boolean:
        return *a.asBool() == *b.asBool();
    case ProviderJSON::Kind::null:
        return true;
    }
    return false;
}

std::optional<std::int64_t> usageCount(const std::optional<ProviderJSON>& value, std::int64_t maximum)
{
    const std::optional<double> number = value ? value->asNumber() : std::nullopt;
    // 2^63 is the first double past every 64-bit count, so the cast below stays in range.
    constexpr double countLimit = 9223372036854775808.0;
    if (!number || *number < 0 || std::trunc(*number) != *number || *number >= countLimit) {
        return std::nullopt;
    }
    const auto count = static_cast<std::int64_t>(*number);
    if (count > maximum) {
        return std::nullopt;
    }
    return count;
}

} // namespace tavlen
