#pragma once

#include <nlohmann/json.hpp>

#include <simdjson.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
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

// Elements of an array, or members of an object, counted (simdjson's own count saturates at 2^24 - 1).
std::size_t countOf(Element container);

bool isNumber(Element value);
// Any number as a double, as the stored-document reader converts it.
double numberValue(Element value);

// A key held with its first eight bytes as one number, so that keys are told apart by two integer comparisons,
// their bytes compared only when those agree and the keys are longer.
struct Key
{
    Key() = default;

    explicit Key(std::string_view text)
        : text(text)
    {
        if (text.size() >= sizeof prefix) {
            std::memcpy(&prefix, text.data(), sizeof prefix); // one load
        } else {
            for (std::size_t i = 0; i < text.size(); ++i) {
                prefix |= std::uint64_t(static_cast<unsigned char>(text[i])) << (8 * i);
            }
        }
    }

    bool operator==(const Key& other) const
    {
        return text.size() == other.text.size() && prefix == other.prefix &&
               (text.size() <= sizeof prefix || std::memcmp(text.data() + sizeof prefix,
                                                            other.text.data() + sizeof prefix,
                                                            text.size() - sizeof prefix) == 0);
    }

    std::string_view text;
    std::uint64_t prefix = 0; // the first bytes, the first in the lowest byte
};

// The members of one object, gathered in one walk of the parsed frame, so that the dozen lookups a decoder makes in
// one object, and the schema's required keys, do not each walk it again. Small objects are held without allocating.
class Members
{
public:
    explicit Members(Element object);
    ~Members() = default;
    Members(const Members&) = delete;
    Members& operator=(const Members&) = delete;

    std::size_t size() const { return m_size; }

    // The last member named key, null or not; nullptr when there is none.
    const Element* last(std::string_view key) const;

    bool contains(std::string_view key) const { return last(key) != nullptr; }

    // Whether a later member has the same key as member i.
    bool isHidden(std::size_t i) const;

    // True when visit(key, value) holds for the last member of every key. Members that a later one of the same key
    // hides may be visited too, but what visit answers for them counts for nothing: so a walk that finds nothing
    // wrong never searches for duplicates. visit must have no effect beyond its answer.
    template <class Visit> bool everyLast(Visit&& visit) const
    {
        for (std::size_t i = 0; i < m_size; ++i) {
            const Entry& entry = at(i);
            if (!visit(entry.key.text, entry.value) && !isHidden(i)) {
                return false;
            }
        }
        return true;
    }

private:
    struct Entry
    {
        Key key;
        Element value;
    };

    static constexpr std::size_t inlineCapacity = 24;

    const Entry& at(std::size_t i) const
    {
        return i < inlineCapacity ? reinterpret_cast<const Entry*>(m_inline)[i] : m_more[i - inlineCapacity];
    }

    // Raw room for the first members: an object is gathered for every value checked, and constructing two dozen
    // entries each time, to overwrite them, cost more than the gathering itself.
    alignas(Entry) unsigned char m_inline[inlineCapacity * sizeof(Entry)];
    std::vector<Entry> m_more;
    std::size_t m_size = 0;
    mutable std::vector<bool> m_hidden; // for large objects, worked out on first need
};

// Equality of a value with a value of the schema ("const", "enum"): numbers by numeric value (1 equals 1.0), never
// a boolean with a number, texts by code units, containers by content (an object by its keys' last values).
bool sameJson(Element value, const nlohmann::json& other);
bool sameJson(const nlohmann::json& value, const nlohmann::json& other);

// Typed members. Failures are WireDecodingError with the decoders' sentences.
Element requireObject(Element value, const char* what);
std::optional<Element> member(const Members& object, const char* key); // nullopt when missing or null
std::string_view requiredText(const Members& object, const char* key); // a view into the parsed frame
std::string requiredString(const Members& object, const char* key);
std::optional<std::string> optionalString(const Members& object, const char* key);
std::int64_t requiredInteger(const Members& object, const char* key);
std::optional<std::int64_t> optionalInteger(const Members& object, const char* key);
double requiredDouble(const Members& object, const char* key);
std::optional<double> optionalDouble(const Members& object, const char* key);
bool requiredBool(const Members& object, const char* key);
std::optional<bool> optionalBool(const Members& object, const char* key);
Element requiredObject(const Members& object, const char* key);
std::optional<Element> optionalObject(const Members& object, const char* key);
Element requiredArray(const Members& object, const char* key);
std::vector<std::string> requiredStrings(const Members& object, const char* key);
std::optional<std::vector<std::string>> optionalStrings(const Members& object, const char* key);

// An element is read through Members: these keep one from converting silently into an nlohmann value and reaching
// the readers of WireCoding.h.
std::optional<Element> member(Element, const char*) = delete;
std::string_view requiredText(Element, const char*) = delete;
std::string requiredString(Element, const char*) = delete;
std::optional<std::string> optionalString(Element, const char*) = delete;
std::int64_t requiredInteger(Element, const char*) = delete;
std::optional<std::int64_t> optionalInteger(Element, const char*) = delete;
double requiredDouble(Element, const char*) = delete;
std::optional<double> optionalDouble(Element, const char*) = delete;
bool requiredBool(Element, const char*) = delete;
std::optional<bool> optionalBool(Element, const char*) = delete;
Element requiredObject(Element, const char*) = delete;
std::optional<Element> optionalObject(Element, const char*) = delete;
Element requiredArray(Element, const char*) = delete;
std::vector<std::string> requiredStrings(Element, const char*) = delete;
std::optional<std::vector<std::string>> optionalStrings(Element, const char*) = delete;

} // namespace tavlen::wire
