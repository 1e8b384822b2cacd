#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>

namespace tavlen {

// Limits of the bridge, from the "config" resource.
struct BrowserLimits
{
    std::int64_t requestBytes = 0; // largest message other than a response; largest frame Tavlen writes
    std::int64_t resultBytes = 0;  // largest message of any kind; largest frame Tavlen reads
    std::int64_t queueBytes = 0;   // most bytes waiting in a channel's write queue
    std::int64_t sessionMs = 0;
    std::int64_t commandMs = 0;
    std::int64_t operations = 0; // the operationsRemaining of BrowserStatus::initial

    nlohmann::json encode() const;
    static BrowserLimits decode(const nlohmann::json& value); // throws WireDecodingError

    bool operator==(const BrowserLimits&) const = default;
};

} // namespace tavlen
