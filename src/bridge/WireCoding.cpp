#include "WireCoding.h"

#include "Utf8.h"

#include <cmath>

namespace tavlen::wire {

namespace {

// nullptr when missing or null
const nlohmann::json* member(const nlohmann::json& object, const char* key)
{
    const auto it = object.find(key);
    if (it == object.end() || it->is_null()) {
        return nullptr;
    }
    return &*it;
}

const nlohmann::json& present(const nlohmann::json& object, const char* key, const char* expected)
{
    const nlohmann::json* value = member(object, key);
    if (!value) {
        failMember(key, expected);
    }
    return *value;
}

std::optional<std::int64_t> integerValue(const nlohmann::json& value)
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
        return wholeInteger(value.get<double>());
    }
    return std::nullopt;
}

} // namespace

void failMember(const char* key, const char* expected)
{
    throw WireDecodingError(std::string("\"") + key + "\" must be " + expected + ".");
}

void failNotObject(const char* what)
{
    throw WireDecodingError(std::string(what) + " must be a JSON object.");
}

std::optional<std::int64_t> wholeInteger(double value)
{
    // 2^63 itself does not fit; everything below it does.
    if (std::isfinite(value) && value == std::trunc(value) && value >= -9223372036854775808.0 &&
        value < 9223372036854775808.0) {
        return static_cast<std::int64_t>(value);
    }
    return std::nullopt;
}

const nlohmann::json& requireObject(const nlohmann::json& value, const char* what)
{
    if (!value.is_object()) {
        failNotObject(what);
    }
    return value;
}

std::string requiredString(const nlohmann::json& object, const char* key)
{
    const nlohmann::json& value = present(object, key, "a string");
    if (!value.is_string()) {
        failMember(key, "a string");
    }
    return value.get<std::string>();
}

std::int64_t requiredInteger(const nlohmann::json& object, const char* key)
{
    const auto value = integerValue(present(object, key, "an integer"));
    if (!value) {
        failMember(key, "an integer");
    }
    return *value;
}

double requiredDouble(const nlohmann::json& object, const char* key)
{
    const nlohmann::json& value = present(object, key, "a number");
    if (!value.is_number()) {
        failMember(key, "a number");
    }
    return value.get<double>();
}

bool requiredBool(const nlohmann::json& object, const char* key)
{
    const nlohmann::json& value = present(object, key, "a boolean");
    if (!value.is_boolean()) {
        failMember(key, "a boolean");
    }
    return value.get<bool>();
}

const nlohmann::json& requiredObject(const nlohmann::json& object, const char* key)
{
    const nlohmann::json& value = present(object, key, "an object");
    if (!value.is_object()) {
        failMember(key, "an object");
    }
    return value;
}

std::vector<std::string> requiredStrings(const nlohmann::json& object, const char* key)
{
    const nlohmann::json& array = present(object, key, "an array");
    if (!array.is_array()) {
        failMember(key, "an array");
    }
    std::vector<std::string> result;
    result.reserve(array.size());
    for (const auto& item : array) {
        if (!item.is_string()) {
            failMember(key, "an array of strings");
        }
        result.push_back(item.get<std::string>());
    }
    return result;
}

bool sameText(const std::string& a, const std::string& b)
{
    return textEqual(a, b);
}

bool sameText(const std::optional<std::string>& a, const std::optional<std::string>& b)
{
    if (!a || !b) {
        return a.has_value() == b.has_value();
    }
    return textEqual(*a, *b);
}

bool sameTexts(const std::vector<std::string>& a, const std::vector<std::string>& b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!textEqual(a[i], b[i])) {
            return false;
        }
    }
    return true;
}

} // namespace tavlen::wire
