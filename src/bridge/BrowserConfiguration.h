#pragma once

#include "BrowserCaptureSettings.h"
#include "BrowserLimits.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace tavlen {

// The decoded "config" resource; every key is required.
struct BrowserConfiguration
{
    std::string hostName;                         // the native-messaging host's name
    std::string extensionKey;                     // the extension's public key (base64 DER)
    std::vector<std::string> allowedExtensionIDs; // key "allowedExtensionIds"
    std::int64_t protocolVersion = 0;             // the "v" of every message
    BrowserLimits limits;
    BrowserCaptureSettings captureSettings; // the default capture viewport

    // The configuration decoded once per process on first use, safely from any thread, and kept.
    // A missing, unreadable or undecodable "config" throws BridgeFailure "Browser resources are missing.
    // Reinstall Tavlen." on that use and every later one, so callers report it instead of stopping the process.
    static const BrowserConfiguration& shared();

    // Reads and decodes "config" anew. Throws what loadBrowserResource throws, or WireDecodingError.
    static BrowserConfiguration load();

    static BrowserConfiguration decode(const nlohmann::json& value); // throws WireDecodingError
};

} // namespace tavlen
