#pragma once

#include <nlohmann/json.hpp>
#include <simdjson.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Reading the members of received messages from the simdjson DOM a frame was parsed into, with the rules and the
// failures of the typed decoders (WireCoding.h): a required member fails when missing, null or of another JSON
// type; an optional one reads a missing key and null alike; undeclared keys are ignored.
//
// An object that names a key twice means its last value, to the decoders as to the schema, as it does to the
// reader of stored documents; simdjson keeps every member, so the lookups here pick the last.
namespace tavlen::wire {

using Element = simdjson::dom::element;

// The members of an object, the elements of an array, as values to iterate over. (simdjson hands them out inside
// a result object; iterating over a reference into that temporary would outlive it.)
inline simdjson::dom::object fieldsOf(Element object)
{
    return object.get_object().value_unsafe();
}

inline simdjson::dom::array elementsOf(Element array)
{
    return array.get_array().value_unsafe();
}

// The value of the last member named key; nullopt when there is none or it is null.
std::optional<Element> member(Element object, std::string_view key);
// Whether a member named key is there, null or not.
bool contains(Element object, std::string_view key);

// Elements of an array, or members of an object, counted (simdjson's own count saturates at 2^24 - 1).
std::size_t countOf(Element container);

bool isNumber(Element value);
// Any number as a double, as the stored-document reader converts it.
double numberValue(Element value);

// Which members of an object of `count` members a later member of the same key hides: bit i of the mask for
// member i of a small object (at most 64 members), one flag per member for any size.
std::uint64_t hiddenMask(Element object, std::size_t count);
std::vector<bool> hiddenMembers(Element object, std::size_t count);

// Calls visit(key, value) once for every distinct key of the object, with its last value, in the order of those
// last values; stops at the first false and gives false.
template <class Visit> bool everyMember(Element object, Visit&& visit)
{
    const std::size_t count = countOf(object);
    const auto fields = fieldsOf(object);
    std::size_t i = 0;
    if (count <= 64) {
        const std::uint64_t hidden = hiddenMask(object, count);
        for (const auto field : fields) {
            if (((hidden >> i++) & 1) == 0 && !visit(field.key, field.value)) {
                return false;
            }
        }
        return true;
    }
    const std::vector<bool> hidden = hiddenMembers(object, count);
    for (const auto field : fields) {
        if (!hidden[i++] && !visit(field.key, field.value)) {
            return false;
        }
    }
    return true;
}

// Equality of a value with a value of the schema ("const", "enum"): numbers by numeric value (1 equals 1.0), never
// a boolean with a number, texts by code units, containers by content (an object by its keys' last values).
bool sameJson(Element value, const nlohmann::json& other);
bool sameJson(const nlohmann::json& value, const nlohmann::json& other);

// Typed members. Failures are WireDecodingError with the decoders' sentences.
Element requireObject(Element value, const char* what);
std::string_view requiredText(Element object, const char* key); // a view into the parsed frame
std::string requiredString(Element object, const char* key);
std::optional<std::string> optionalString(Element object, const char* key);
std::int64_t requiredInteger(Element object, const char* key);
std::optional<std::int64_t> optionalInteger(Element object, const char* key);
double requiredDouble(Element object, const char* key);
std::optional<double> optionalDouble(Element object, const char* key);
bool requiredBool(Element object, const char* key);
std::optional<bool> optionalBool(Element object, const char* key);
Element requiredObject(Element object, const char* key);
std::optional<Element> optionalObject(Element object, const char* key);
Element requiredArray(Element object, const char* key);
std::vector<std::string> requiredStrings(Element object, const char* key);
std::optional<std::vector<std::string>> optionalStrings(Element object, const char* key);

} // namespace tavlen::wire
