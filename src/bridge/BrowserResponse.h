#pragma once

#include "BrowserSnapshot.h"
#include "BrowserStatus.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace tavlen {

struct WireSnapshotParts;

// The extension's answer to one request or cancel.
struct BrowserResponse
{
    std::optional<std::string> requestID;
    BrowserStatus status;
    bool ok = false;
    std::optional<BrowserSnapshot> snapshot;
    std::optional<BrowserToolError> error;

    // Absent requestId, snapshot and error are left out.
    nlohmann::json encode() const;
    // A snapshot's image and page tree are set aside in `parts` (BrowserSnapshot::decode). Throws WireDecodingError.
    static BrowserResponse decode(const simdjson::dom::element& value, WireSnapshotParts& parts);

    friend bool operator==(const BrowserResponse& a, const BrowserResponse& b);
};

} // namespace tavlen
