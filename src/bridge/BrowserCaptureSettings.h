#pragma once

#include "WireElement.h"

#include <nlohmann/json.hpp>

#include <cstdint>

namespace tavlen {

// The capture viewport that Tavlen asks Chrome for; also the default in the configuration.
struct BrowserCaptureSettings
{
    std::int64_t width = 0;
    std::int64_t height = 0;
    double deviceScaleFactor = 1;
    bool mobile = false;

    // The default capture settings of the shared configuration, copied once on first use.
    // Throws BridgeFailure when the configuration cannot be loaded (see BrowserConfiguration::shared).
    static const BrowserCaptureSettings& standard();

    // Width and height from 1 to 8,000,000, a positive finite scale factor; mobile is not examined.
    // Throws BridgeFailure "Enter positive viewport dimensions and device scale factor." code "invalid_request".
    void validate() const;

    nlohmann::json encode() const;
    // From a received request's viewport, and from the configuration resource. Throw WireDecodingError.
    static BrowserCaptureSettings decode(const simdjson::dom::element& value);
    static BrowserCaptureSettings decodeConfigured(const nlohmann::json& value);

    bool operator==(const BrowserCaptureSettings&) const = default;
};

} // namespace tavlen
