#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>

namespace tavlen {

// The capture viewport that Tavlen asks Chrome for; the configuration holds the default one.
struct BrowserCaptureSettings
{
    std::int64_t width = 0;
    std::int64_t height = 0;
    double deviceScaleFactor = 1;
    bool mobile = false;

    // Width and height from 1 to 8,000,000, a positive finite scale factor; mobile is not examined.
    // Throws BridgeFailure "Enter positive viewport dimensions and device scale factor." code "invalid_request".
    void validate() const;

    nlohmann::json encode() const;
    static BrowserCaptureSettings decode(const nlohmann::json& value); // throws WireDecodingError

    bool operator==(const BrowserCaptureSettings&) const = default;
};

} // namespace tavlen
