#pragma once

#include "WireElement.h"

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

    // The largest width or height Tavlen asks for, in CSS pixels.
    static constexpr std::int64_t maximumSide = 8'000'000;

    // A width or height from 1 to maximumSide.
    static constexpr bool isValidSide(std::int64_t side) { return side >= 1 && side <= maximumSide; }

    // Width and height valid sides, a positive finite scale factor; mobile is not examined.
    bool isValid() const;

    // Throws BridgeFailure "Enter positive viewport dimensions and device scale factor." code "invalid_request"
    // unless isValid().
    void validate() const;

    nlohmann::json encode() const;
    // From a received request's viewport, and from a stored document or the configuration. Throw
    // WireDecodingError. (Two names: an nlohmann value must not be weighed for conversion to an element.)
    static BrowserCaptureSettings decode(const simdjson::dom::element& value);
    static BrowserCaptureSettings decodeStored(const nlohmann::json& value);

    bool operator==(const BrowserCaptureSettings&) const = default;
};

} // namespace tavlen
