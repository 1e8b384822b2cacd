#pragma once

#include "JsonWriter.h"

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tavlen {

// The one JSON value of the model providers: request bodies are built from it and every response body is read
// through its strict parse before any member is looked at. Every number is a finite double (there is no
// integer case). Payloads are shared and immutable, so copies are cheap and may cross threads.
class ProviderJSON
{
public:
    enum class Kind
    {
        object,
        array,
        string,
        number,
        boolean,
        null,
    };

    using Object = std::map<std::string, ProviderJSON, std::less<>>;
    using Array = std::vector<ProviderJSON>;

    // Deepest nesting the parse admits: the top value is at depth 0, a member of an array or object one deeper.
    static constexpr int maximumDepth = 63;

    // null.
    ProviderJSON() = default;

    static ProviderJSON object(Object members);
    static ProviderJSON array(Array elements);
    static ProviderJSON string(std::string text);
    // Precondition: finite. A NaN or infinity throws std::invalid_argument.
    static ProviderJSON number(double value);
    static ProviderJSON boolean(bool value);

    static ProviderJSON null() { return {}; }

    // The strict parse of a response body: one value with surrounding space, tab, line feed or carriage return
    // only; no key twice in one object (keys compared by canonical equivalence after escapes are resolved);
    // at most maximumDepth levels; finite numbers. Anything else throws ProviderFailure
    // "invalid_provider_response"; the body is not kept.
    static ProviderJSON parse(std::string_view body);

    // The same value as ProviderJSON; nothing for a number that is not finite, a binary or a discarded value.
    static std::optional<ProviderJSON> fromJson(const nlohmann::json& value);

    Kind kind() const;

    // The payload of that kind, or null / nothing for any other kind.
    const Object* asObject() const;
    const Array* asArray() const;
    const std::string* asString() const;
    std::optional<double> asNumber() const;
    std::optional<bool> asBool() const;

    bool isNull() const { return kind() == Kind::null; }

    // The member's value when this is an object holding key; nothing otherwise.
    std::optional<ProviderJSON> member(std::string_view key) const;

    nlohmann::json toJson() const;

    // Compact JSON through the program's writer; escaping of "/" as the caller's options say.
    std::string encoded(const JsonWriteOptions& options = {}) const;

    // Same kind and equal payloads: object keys and strings by canonical equivalence, numbers as doubles.
    friend bool operator==(const ProviderJSON& a, const ProviderJSON& b);

private:
    struct Payload;

    explicit ProviderJSON(std::shared_ptr<const Payload> payload)
        : m_payload(std::move(payload))
    {}

    std::shared_ptr<const Payload> m_payload; // empty for null
};

// A token or request counter from a provider's usage report: the value when it is an integral, non-negative
// number of at most maximum; nothing for a missing value, another kind, a fraction, a negative number or one
// above maximum.
std::optional<std::int64_t> usageCount(const std::optional<ProviderJSON>& value, std::int64_t maximum);

} // namespace tavlen
