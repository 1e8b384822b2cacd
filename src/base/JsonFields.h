#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tavlen {

// A JSON value that is not what its reader expects: a missing key, a value of the wrong JSON type, an unknown
// raw value. The message names the key; readers of stored data turn it into their own error.
class JsonDecodingError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The one way to read the members of a JSON object by type. A required member fails when missing, null or of
// another JSON type; an optional one reads a missing key and null alike as absent, and fails when of another
// type. Keys a reader does not ask for are ignored. Every failure throws JsonDecodingError.
namespace json_fields {

const nlohmann::json& requireObject(const nlohmann::json& value, const char* what);
const nlohmann::json* member(const nlohmann::json& object, const char* key); // nullptr when missing or null

// A signed 64-bit integer: an integer in range, or a whole-numbered double in range (3.0); a boolean never.
std::optional<std::int64_t> integerValue(const nlohmann::json& value);

std::string requiredString(const nlohmann::json& object, const char* key);
std::optional<std::string> optionalString(const nlohmann::json& object, const char* key);
std::int64_t requiredInteger(const nlohmann::json& object, const char* key);
std::optional<std::int64_t> optionalInteger(const nlohmann::json& object, const char* key);
double requiredDouble(const nlohmann::json& object, const char* key);
std::optional<double> optionalDouble(const nlohmann::json& object, const char* key);
bool requiredBool(const nlohmann::json& object, const char* key);
std::optional<bool> optionalBool(const nlohmann::json& object, const char* key);
const nlohmann::json& requiredObject(const nlohmann::json& object, const char* key);
const nlohmann::json* optionalObject(const nlohmann::json& object, const char* key);
const nlohmann::json& requiredArray(const nlohmann::json& object, const char* key);
std::vector<std::string> requiredStrings(const nlohmann::json& object, const char* key);
std::optional<std::vector<std::string>> optionalStrings(const nlohmann::json& object, const char* key);

} // namespace json_fields
} // namespace tavlen
