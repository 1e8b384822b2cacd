#include "JsonFields.h"

#include <cmath>

namespace tavlen::json_fields {

namespace {

[[noreturn]] void fail(const char* key, const char* expected)
{
    throw JsonDecodingError(std::string("\"") + key + "\" must be " + expected + ".");
}

const nlohmann::json& present(const nlohmann::json& object, const char* key, const char* expected)
{
    const nlohmann::json* value = member(object, key);
    if (!value) {
        fail(key, expected);
    }
    return *value;
}

} // namespace

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
        const double d = value.get<double>();
        // 2^63 itself does not fit; everything below it does.
        if (std::isfinite(d) && d == std::trunc(d) && d >= -9223372036854775808.0 && d < 9223372036854775808.0) {
            return static_cast<std::int64_t>(d);
        }
    }
    return std::nullopt;
}

const nlohmann::json& requireObject(const nlohmann::json& value, const char* what)
{
    if (!value.is_object()) {
        throw JsonDecodingError(std::string(what) + " must be a JSON object.");
    }
    return value;
}

const nlohmann::json* member(const nlohmann::json& object, const char* key)
{
    const auto it = object.find(key);
    if (it == object.end() || it->is_null()) {
        return nullptr;
    }
    return &*it;
}

std::string requiredString(const nlohmann::json& object, const char* key)
{
    const nlohmann::json& value = present(object, key, "a string");
    if (!value.is_string()) {
        fail(key, "a string");
    }
    return value.get<std::string>();
}

std::optional<std::string> optionalString(const nlohmann::json& object, const char* key)
{
    if (!member(object, key)) {
        return std::nullopt;
    }
    return requiredString(object, key);
}

std::int64_t requiredInteger(const nlohmann::json& object, const char* key)
{
    const auto value = integerValue(present(object, key, "an integer"));
    if (!value) {
        fail(key, "an integer");
    }
    return *value;
}

std::optional<std::int64_t> optionalInteger(const nlohmann::json& object, const char* key)
{
    if (!member(object, key)) {
        return std::nullopt;
    }
    return requiredInteger(object, key);
}

double requiredDouble(const nlohmann::json& object, const char* key)
{
    const nlohmann::json& value = present(object, key, "a number");
    if (!value.is_number()) {
        fail(key, "a number");
    }
    return value.get<double>();
}

std::optional<double> optionalDouble(const nlohmann::json& object, const char* key)
{
    if (!member(object, key)) {
        return std::nullopt;
    }
    return requiredDouble(object, key);
}

bool requiredBool(const nlohmann::json& object, const char* key)
{
    const nlohmann::json& value = present(object, key, "a boolean");
    if (!value.is_boolean()) {
        fail(key, "a boolean");
    }
    return value.get<bool>();
}

std::optional<bool> optionalBool(const nlohmann::json& object, const char* key)
{
    if (!member(object, key)) {
        return std::nullopt;
    }
    return requiredBool(object, key);
}

const nlohmann::json& requiredObject(const nlohmann::json& object, const char* key)
{
    const nlohmann::json& value = present(object, key, "an object");
    if (!value.is_object()) {
        fail(key, "an object");
    }
    return value;
}

const nlohmann::json* optionalObject(const nlohmann::json& object, const char* key)
{
    if (!member(object, key)) {
        return nullptr;
    }
    return &requiredObject(object, key);
}

const nlohmann::json& requiredArray(const nlohmann::json& object, const char* key)
{
    const nlohmann::json& value = present(object, key, "an array");
    if (!value.is_array()) {
        fail(key, "an array");
    }
    return value;
}

std::vector<std::string> requiredStrings(const nlohmann::json& object, const char* key)
{
    const nlohmann::json& array = requiredArray(object, key);
    std::vector<std::string> result;
    result.reserve(array.size());
    for (const auto& item : array) {
        if (!item.is_string()) {
            fail(key, "an array of strings");
        }
        result.push_back(item.get<std::string>());
    }
    return result;
}

std::optional<std::vector<std::string>> optionalStrings(const nlohmann::json& object, const char* key)
{
    if (!member(object, key)) {
        return std::nullopt;
    }
    return requiredStrings(object, key);
}

} // namespace tavlen::json_fields
