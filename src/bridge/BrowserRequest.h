#pragma once

#include "BrowserCaptureSettings.h"
#include "WireElement.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace tavlen {

// The command of a request; raw values "status", "start", "capturePage".
enum class BrowserCommand
{
    status,
    start,
    capturePage,
};

std::string_view browserCommandName(BrowserCommand command);
std::optional<BrowserCommand> browserCommandFromName(std::string_view name);

// A command to the extension. Tavlen gives each one a new upper-case UUID as requestID.
struct BrowserRequest
{
    std::string requestID;
    BrowserCommand command = BrowserCommand::status;
    std::optional<std::string> sessionID;
    std::optional<std::string> url;
    std::optional<BrowserCaptureSettings> viewport;

    // Absent members are left out.
    nlohmann::json encode() const;
    static BrowserRequest decode(const simdjson::dom::element& value); // throws WireDecodingError

    friend bool operator==(const BrowserRequest& a, const BrowserRequest& b);
};

} // namespace tavlen
