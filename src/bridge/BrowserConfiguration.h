#pragma once

#include "BrowserCaptureSettings.h"
#include "BrowserLimits.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace tavlen {

// The decoded "config" resource; every key is required. A program loads it once where it starts (a test where it
// chooses) and passes the parts to those that need them: nothing reads it behind their backs.
struct BrowserConfiguration
{
    std::string hostName;                         // the native-messaging host's name
    std::string extensionKey;                     // the extension's public key (base64 DER)
    std::vector<std::string> allowedExtensionIDs; // key "allowedExtensionIds"
    std::int64_t protocolVersion = 0;             // the "v" of every message
    BrowserLimits limits;
    BrowserCaptureSettings captureSettings; // the default capture viewport

    // Reads and decodes "config" anew. Throws what loadBrowserResource throws, or WireDecodingError.
    static BrowserConfiguration load();

    // load() for a program's start: a missing, unreadable or undecodable "config" throws BridgeFailure "Browser
    // resources are missing. Reinstall Tavlen.", which the program keeps and reports instead of stopping.
    static BrowserConfiguration loadInstalled();

    static BrowserConfiguration decode(const nlohmann::json& value); // throws WireDecodingError

    bool operator==(const BrowserConfiguration&) const = default;
};

} // namespace tavlen
