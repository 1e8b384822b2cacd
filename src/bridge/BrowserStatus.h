#pragma once

#include "BrowserLimits.h"
#include "WireElement.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace tavlen {

// An error reported by the extension.
struct BrowserToolError
{
    std::string code;
    std::string message;

    nlohmann::json encode() const;
    static BrowserToolError decode(const simdjson::dom::element& value); // throws WireDecodingError

    friend bool operator==(const BrowserToolError& a, const BrowserToolError& b);
};

// The state of the extension's browser session. The decoder accepts any state text.
struct BrowserStatus
{
    std::string state;
    std::optional<std::string> sessionID;
    bool busy = false;
    std::int64_t operationsRemaining = 0;
    std::optional<double> expiresAt;
    std::optional<BrowserToolError> lastError;

    // State "idle", no session, not busy, operationsRemaining from the configuration's limits.
    static BrowserStatus initial(const BrowserLimits& limits);

    // sessionId, expiresAt and lastError are written as null when absent.
    nlohmann::json encode() const;
    static BrowserStatus decode(const simdjson::dom::element& value); // throws WireDecodingError

    friend bool operator==(const BrowserStatus& a, const BrowserStatus& b);
};

} // namespace tavlen
