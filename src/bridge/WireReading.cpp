#include "WireReading.h"

#include "WireCoding.h"

#include <algorithm>
#include <unordered_map>

namespace tavlen::wire {

namespace {

using Type = simdjson::dom::element_type;

// simdjson's count of a container's members stops here and means "this many or more".
constexpr std::size_t saturatedCount = 0xFFFFFF;

const Element& present(const std::optional<Element>& value, const char* key, const char* expected)
{
    if (!value) {
        failMember(key, expected);
    }
    return *value;
}

std::optional<std::int64_t> integerValue(Element value)
{
    switch (value.type()) {
    case Type::INT64:
        return value.get_int64().value_unsafe();
    case Type::UINT64: // only numbers above INT64_MAX are held unsigned
        return std::nullopt;
    case Type::DOUBLE:
        return wholeInteger(value.get_double().value_unsafe());
    default:
        return std::nullopt;
    }
}

// A JSON number as either reader holds it: a signed or unsigned 64-bit integer, or a double.
struct Number
{
    enum class Kind
    {
        signedInteger,
        unsignedInteger,
        floating,
    } kind;
    std::int64_t i = 0;
    std::uint64_t u = 0;
    double d = 0;
};

Number numberOf(Element value)
{
    switch (value.type()) {
    case Type::INT64:
        return {Number::Kind::signedInteger, value.get_int64().value_unsafe()};
    case Type::UINT64:
        return {Number::Kind::unsignedInteger, 0, value.get_uint64().value_unsafe()};
    default:
        return {Number::Kind::floating, 0, 0, value.get_double().value_unsafe()};
    }
}

Number numberOf(const nlohmann::json& value)
{
    if (value.is_number_float()) {
        return {Number::Kind::floating, 0, 0, value.get<double>()};
    }
    if (value.is_number_unsigned()) {
        return {Number::Kind::unsignedInteger, 0, value.get<std::uint64_t>()};
    }
    return {Number::Kind::signedInteger, value.get<std::int64_t>()};
}

// By numeric value: 1 equals 1.0, and -1 never equals 2^64 - 1 (nlohmann's own == wraps the unsigned one).
bool sameNumber(const Number& a, const Number& b)
{
    using Kind = Number::Kind;
    const auto asDouble = [](const Number& n) {
        return n.kind == Kind::floating ? n.d : n.kind == Kind::unsignedInteger ? double(n.u) : double(n.i);
    };
    if (a.kind == Kind::floating || b.kind == Kind::floating) {
        return asDouble(a) == asDouble(b);
    }
    const auto asUnsigned = [](const Number& n, std::uint64_t& out) {
        if (n.kind == Kind::signedInteger && n.i < 0) {
            return false;
        }
        out = n.kind == Kind::unsignedInteger ? n.u : std::uint64_t(n.i);
        return true;
    };
    std::uint64_t left = 0;
    std::uint64_t right = 0;
    const bool leftNonNegative = asUnsigned(a, left);
    const bool rightNonNegative = asUnsigned(b, right);
    if (leftNonNegative != rightNonNegative) {
        return false;
    }
    return leftNonNegative ? left == right : a.i == b.i;
}

} // namespace

std::optional<Element> member(Element object, std::string_view key)
{
    std::optional<Element> found;
    for (const auto field : fieldsOf(object)) {
        if (field.key == key) {
            found = field.value;
        }
    }
    if (found && found->is_null()) {
        return std::nullopt;
    }
    return found;
}

bool contains(Element object, std::string_view key)
{
    for (const auto field : fieldsOf(object)) {
        if (field.key == key) {
            return true;
        }
    }
    return false;
}

std::size_t countOf(Element container)
{
    std::size_t count = 0;
    if (container.type() == Type::ARRAY) {
        const auto array = container.get_array().value_unsafe();
        count = array.size();
        if (count >= saturatedCount) {
            count = 0;
            for ([[maybe_unused]] const auto element : array) {
                ++count;
            }
        }
    } else if (container.type() == Type::OBJECT) {
        const auto object = container.get_object().value_unsafe();
        count = object.size();
        if (count >= saturatedCount) {
            count = 0;
            for ([[maybe_unused]] const auto field : object) {
                ++count;
            }
        }
    }
    return count;
}

bool isNumber(Element value)
{
    const Type type = value.type();
    return type == Type::INT64 || type == Type::UINT64 || type == Type::DOUBLE;
}

double numberValue(Element value)
{
    switch (value.type()) {
    case Type::INT64:
        return static_cast<double>(value.get_int64().value_unsafe());
    case Type::UINT64:
        return static_cast<double>(value.get_uint64().value_unsafe());
    default:
        return value.get_double().value_unsafe();
    }
}

std::uint64_t hiddenMask(Element object, std::size_t count)
{
    std::uint64_t hidden = 0;
    if (count < 2) {
        return hidden;
    }
    std::string_view keys[64];
    std::size_t n = 0;
    for (const auto field : fieldsOf(object)) {
        keys[n++] = field.key;
    }
    for (std::size_t i = 0; i + 1 < n; ++i) {
        for (std::size_t j = i + 1; j < n; ++j) {
            if (keys[i] == keys[j]) {
                hidden |= std::uint64_t{1} << i;
                break;
            }
        }
    }
    return hidden;
}

std::vector<bool> hiddenMembers(Element object, std::size_t count)
{
    // Large objects (hostile ones included) in linear time: the last position of each key wins.
    std::vector<bool> hidden(count, false);
    std::unordered_map<std::string_view, std::size_t> last;
    last.reserve(count);
    std::size_t i = 0;
    for (const auto field : fieldsOf(object)) {
        const auto [entry, inserted] = last.try_emplace(field.key, i);
        if (!inserted) {
            hidden[entry->second] = true;
            entry->second = i;
        }
        ++i;
    }
    return hidden;
}

bool sameJson(Element value, const nlohmann::json& other)
{
    switch (value.type()) {
    case Type::NULL_VALUE:
        return other.is_null();
    case Type::BOOL:
        return other.is_boolean() && value.get_bool().value_unsafe() == other.get<bool>();
    case Type::INT64:
    case Type::UINT64:
    case Type::DOUBLE:
        return other.is_number() && sameNumber(numberOf(value), numberOf(other));
    case Type::STRING:
        return other.is_string() && value.get_string().value_unsafe() == other.get_ref<const std::string&>();
    case Type::ARRAY: {
        if (!other.is_array() || countOf(value) != other.size()) {
            return false;
        }
        std::size_t i = 0;
        for (const auto element : elementsOf(value)) {
            if (!sameJson(element, other[i++])) {
                return false;
            }
        }
        return true;
    }
    case Type::OBJECT: {
        if (!other.is_object()) {
            return false;
        }
        std::size_t distinct = 0;
        const bool membersMatch = everyMember(value, [&](std::string_view key, Element memberValue) {
            ++distinct;
            const auto it = other.find(key);
            return it != other.end() && sameJson(memberValue, *it);
        });
        return membersMatch && distinct == other.size();
    }
    }
    return false;
}

bool sameJson(const nlohmann::json& value, const nlohmann::json& other)
{
    if (value.is_number() || other.is_number()) {
        return value.is_number() && other.is_number() && sameNumber(numberOf(value), numberOf(other));
    }
    if (value.is_array() && other.is_array()) {
        return value.size() == other.size() && std::equal(value.begin(), value.end(), other.begin(), [](auto& a, auto& b) {
                   return sameJson(a, b);
               });
    }
    if (value.is_object() && other.is_object()) {
        if (value.size() != other.size()) {
            return false;
        }
        for (const auto& [key, member] : value.items()) {
            const auto it = other.find(key);
            if (it == other.end() || !sameJson(member, *it)) {
                return false;
            }
        }
        return true;
    }
    return value == other; // null, booleans, texts, and values of different types
}

Element requireObject(Element value, const char* what)
{
    if (!value.is_object()) {
        failNotObject(what);
    }
    return value;
}

namespace {

// Each typed reading of a member that is there (not missing, not null).

std::string_view textOf(Element value, const char* key)
{
    if (!value.is_string()) {
        failMember(key, "a string");
    }
    return value.get_string().value_unsafe();
}

std::int64_t integerOf(Element value, const char* key)
{
    const auto integer = integerValue(value);
    if (!integer) {
        failMember(key, "an integer");
    }
    return *integer;
}

double doubleOf(Element value, const char* key)
{
    if (!isNumber(value)) {
        failMember(key, "a number");
    }
    return numberValue(value);
}

bool boolOf(Element value, const char* key)
{
    if (!value.is_bool()) {
        failMember(key, "a boolean");
    }
    return value.get_bool().value_unsafe();
}

Element objectOf(Element value, const char* key)
{
    if (!value.is_object()) {
        failMember(key, "an object");
    }
    return value;
}

std::vector<std::string> stringsOf(Element value, const char* key)
{
    if (!value.is_array()) {
        failMember(key, "an array");
    }
    std::vector<std::string> result;
    result.reserve(countOf(value));
    for (const auto item : elementsOf(value)) {
        if (!item.is_string()) {
            failMember(key, "an array of strings");
        }
        result.emplace_back(item.get_string().value_unsafe());
    }
    return result;
}

} // namespace

std::string_view requiredText(Element object, const char* key)
{
    return textOf(present(member(object, std::string_view(key)), key, "a string"), key);
}

std::string requiredString(Element object, const char* key)
{
    return std::string(requiredText(object, key));
}

std::optional<std::string> optionalString(Element object, const char* key)
{
    const auto value = member(object, std::string_view(key));
    return value ? std::optional(std::string(textOf(*value, key))) : std::nullopt;
}

std::int64_t requiredInteger(Element object, const char* key)
{
    return integerOf(present(member(object, std::string_view(key)), key, "an integer"), key);
}

std::optional<std::int64_t> optionalInteger(Element object, const char* key)
{
    const auto value = member(object, std::string_view(key));
    return value ? std::optional(integerOf(*value, key)) : std::nullopt;
}

double requiredDouble(Element object, const char* key)
{
    return doubleOf(present(member(object, std::string_view(key)), key, "a number"), key);
}

std::optional<double> optionalDouble(Element object, const char* key)
{
    const auto value = member(object, std::string_view(key));
    return value ? std::optional(doubleOf(*value, key)) : std::nullopt;
}

bool requiredBool(Element object, const char* key)
{
    return boolOf(present(member(object, std::string_view(key)), key, "a boolean"), key);
}

std::optional<bool> optionalBool(Element object, const char* key)
{
    const auto value = member(object, std::string_view(key));
    return value ? std::optional(boolOf(*value, key)) : std::nullopt;
}

Element requiredObject(Element object, const char* key)
{
    return objectOf(present(member(object, std::string_view(key)), key, "an object"), key);
}

std::optional<Element> optionalObject(Element object, const char* key)
{
    const auto value = member(object, std::string_view(key));
    return value ? std::optional(objectOf(*value, key)) : std::nullopt;
}

Element requiredArray(Element object, const char* key)
{
    const Element value = present(member(object, std::string_view(key)), key, "an array");
    if (!value.is_array()) {
        failMember(key, "an array");
    }
    return value;
}

std::vector<std::string> requiredStrings(Element object, const char* key)
{
    return stringsOf(present(member(object, std::string_view(key)), key, "an array"), key);
}

std::optional<std::vector<std::string>> optionalStrings(Element object, const char* key)
{
    const auto value = member(object, std::string_view(key));
    return value ? std::optional(stringsOf(*value, key)) : std::nullopt;
}

} // namespace tavlen::wire
