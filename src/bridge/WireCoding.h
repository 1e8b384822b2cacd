#pragma once

#include "JsonFields.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavlen {

// The typed decoders' own failure: a missing key, a value of the wrong JSON type, an unknown raw value.
// Callers treat it like any other invalid message.
using WireDecodingError = JsonDecodingError;

// Reading and writing the members of wire records. Members are read with the shared JSON field readers: a
// required member fails when missing or of another JSON type; an optional one reads a missing key and null
// alike. Keys a record does not declare are ignored.
namespace wire {

using json_fields::member;
using json_fields::optionalBool;
using json_fields::optionalDouble;
using json_fields::optionalInteger;
using json_fields::optionalObject;
using json_fields::optionalString;
using json_fields::optionalStrings;
using json_fields::requiredArray;
using json_fields::requiredBool;
using json_fields::requiredDouble;
using json_fields::requiredInteger;
using json_fields::requiredObject;
using json_fields::requiredString;
using json_fields::requiredStrings;
using json_fields::requireObject;

// The readers' failures, for the readers of received frames (WireReading.h) to fail alike.
[[noreturn]] void failMember(const char* key, const char* expected);
[[noreturn]] void failNotObject(const char* what);
// A double that is a whole number within signed 64 bits (3.0, not 3.5 nor 2^63), as an integer.
std::optional<std::int64_t> wholeInteger(double value);

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
