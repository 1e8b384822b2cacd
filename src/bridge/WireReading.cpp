#include "WireReading.h"

#include "WireCoding.h"

#include <algorithm>
#include <new>
#include <type_traits>
#include <unordered_map>

namespace tavlen::wire {

namespace {

using Type = simdjson::dom::element_type;

// simdjson's count of a container's members stops here and means "this many or more".
constexpr std::size_t saturatedCount = 0xFFFFFF;
// Up to this many members, a later duplicate of a key is looked for member by member; beyond, with a hash table.
constexpr std::size_t pairwiseLimit = 64;

Element present(const std::optional<Element>& value, const char* key, const char* expected)
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

Members::Members(Element object)
{
    static_assert(std::is_trivially_destructible_v<Entry>, "the entries in raw room are never destroyed one by one");
    for (const auto field : fieldsOf(object)) {
        if (m_size < inlineCapacity) {
            new (m_inline + m_size * sizeof(Entry)) Entry{Key(field.key), field.value};
        } else {
            m_more.push_back({Key(field.key), field.value});
        }
        ++m_size;
    }
}

const Element* Members::last(std::string_view key) const
{
    const Key wanted(key);
    for (std::size_t i = m_size; i-- > 0;) {
        const Entry& entry = at(i);
        if (entry.key == wanted) {
            return &entry.value;
        }
    }
    return nullptr;
}

bool Members::isHidden(std::size_t i) const
{
    if (m_size <= pairwiseLimit) {
        const Key& key = at(i).key;
        for (std::size_t j = i + 1; j < m_size; ++j) {
            if (at(j).key == key) {
                return true;
            }
        }
        return false;
    }
    // Large objects (hostile ones included) in linear time, once: the last position of each key wins.
    if (m_hidden.empty()) {
        m_hidden.assign(m_size, false);
        std::unordered_map<std::string_view, std::size_t> lastPosition;
        lastPosition.reserve(m_size);
        for (std::size_t j = 0; j < m_size; ++j) {
            const auto [entry, inserted] = lastPosition.try_emplace(at(j).key.text, j);
            if (!inserted) {
                m_hidden[entry->second] = true;
                entry->second = j;
            }
        }
    }
    return m_hidden[i];
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
        const Members members(value);
        std::size_t distinct = 0;
        for (std::size_t i = 0; i < members.size(); ++i) {
            distinct += members.isHidden(i) ? 0 : 1;
        }
        return distinct == other.size() && members.everyLast([&](std::string_view key, Element memberValue) {
            const auto it = other.find(key);
            return it != other.end() && sameJson(memberValue, *it);
        });
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
        return value.size() == other.size() &&
               std::equal(value.begin(), value.end(), other.begin(), [](auto& a, auto& b) { return sameJson(a, b); });
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

std::optional<Element> member(const Members& object, const char* key)
{
    const Element* value = object.last(key);
    if (!value || value->is_null()) {
        return std::nullopt;
    }
    return *value;
}

std::string_view requiredText(const Members& object, const char* key)
{
    return textOf(present(member(object, key), key, "a string"), key);
}

std::string requiredString(const Members& object, const char* key)
{
    return std::string(requiredText(object, key));
}

std::optional<std::string> optionalString(const Members& object, const char* key)
{
    const auto value = member(object, key);
    return value ? std::optional(std::string(textOf(*value, key))) : std::nullopt;
}

std::int64_t requiredInteger(const Members& object, const char* key)
{
    return integerOf(present(member(object, key), key, "an integer"), key);
}

std::optional<std::int64_t> optionalInteger(const Members& object, const char* key)
{
    const auto value = member(object, key);
    return value ? std::optional(integerOf(*value, key)) : std::nullopt;
}

double requiredDouble(const Members& object, const char* key)
{
    return doubleOf(present(member(object, key), key, "a number"), key);
}

std::optional<double> optionalDouble(const Members& object, const char* key)
{
    const auto value = member(object, key);
    return value ? std::optional(doubleOf(*value, key)) : std::nullopt;
}

bool requiredBool(const Members& object, const char* key)
{
    return boolOf(present(member(object, key), key, "a boolean"), key);
}

std::optional<bool> optionalBool(const Members& object, const char* key)
{
    const auto value = member(object, key);
    return value ? std::optional(boolOf(*value, key)) : std::nullopt;
}

Element requiredObject(const Members& object, const char* key)
{
    return objectOf(present(member(object, key), key, "an object"), key);
}

std::optional<Element> optionalObject(const Members& object, const char* key)
{
    const auto value = member(object, key);
    return value ? std::optional(objectOf(*value, key)) : std::nullopt;
}

Element requiredArray(const Members& object, const char* key)
{
    const Element value = present(member(object, key), key, "an array");
    if (!value.is_array()) {
        failMember(key, "an array");
    }
    return value;
}

std::vector<std::string> requiredStrings(const Members& object, const char* key)
{
    return stringsOf(present(member(object, key), key, "an array"), key);
}

std::optional<std::vector<std::string>> optionalStrings(const Members& object, const char* key)
{
    const auto value = member(object, key);
    return value ? std::optional(stringsOf(*value, key)) : std::nullopt;
}

} // namespace tavlen::wire
