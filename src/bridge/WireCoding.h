#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tavlen {

// The typed decoders' own failure: a missing key, a value of the wrong JSON type, an unknown raw value.
// Callers treat it like any other invalid message.
class WireDecodingError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Reading and writing the members of wire records. A required member fails when missing or of another
// JSON type; an optional one reads a missing key and null alike. Keys a record does not declare are ignored.
namespace wire {

// The decoders' sentences, shared by the readers of stored documents and of received frames (WireReading.h).
[[noreturn]] void failMember(const char* key, const char* expected);
[[noreturn]] void failNotObject(const char* what);
// A double that is a whole number within signed 64 bits (3.0, not 3.5 nor 2^63), as an integer.
std::optional<std::int64_t> wholeInteger(double value);

// The members of the configuration resource (received messages are read by WireReading.h).
const nlohmann::json& requireObject(const nlohmann::json& value, const char* what);
std::string requiredString(const nlohmann::json& object, const char* key);
// Integers are signed 64-bit; a whole-numbered double in range (3.0) reads as an integer, a boolean never.
std::int64_t requiredInteger(const nlohmann::json& object, const char* key);
double requiredDouble(const nlohmann::json& object, const char* key);
bool requiredBool(const nlohmann::json& object, const char* key);
const nlohmann::json& requiredObject(const nlohmann::json& object, const char* key);
std::vector<std::string> requiredStrings(const nlohmann::json& object, const char* key);

// Writes an optional member: left out when absent.
template <class T> void putIfPresent(nlohmann::json& object, const char* key, const std::optional<T>& value)
{
    if (value) {
        object[key] = *value;
    }
}

// Writes an optional member: JSON null when absent.
template <class T> void putOrNull(nlohmann::json& object, const char* key, const std::optional<T>& value)
{
    if (value) {
        object[key] = *value;
    } else {
        object[key] = nullptr;
    }
}

// Text equality of records: canonical equivalence.
bool sameText(const std::string& a, const std::string& b);
bool sameText(const std::optional<std::string>& a, const std::optional<std::string>& b);
bool sameTexts(const std::vector<std::string>& a, const std::vector<std::string>& b);

} // namespace wire
} // namespace tavlen
