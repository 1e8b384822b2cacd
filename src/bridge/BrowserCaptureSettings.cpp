#include "BrowserCaptureSettings.h"

#include "BridgeFailure.h"
#include "BrowserConfiguration.h"
#include "WireCoding.h"
#include "WireReading.h"

#include <cmath>

namespace tavlen {

namespace {

constexpr std::int64_t maximumViewportSide = 8'000'000;

// The same members from either reader: an nlohmann object, or the gathered members of a received one.
template <class Object> BrowserCaptureSettings readSettings(const Object& object)
{
    return {wire::requiredInteger(object, "width"),
            wire::requiredInteger(object, "height"),
            wire::requiredDouble(object, "deviceScaleFactor"),
            wire::requiredBool(object, "mobile")};
}

} // namespace

const BrowserCaptureSettings& BrowserCaptureSettings::standard()
{
    // Function-local statics are initialised once and thread-safely; a throwing first use is retried.
    static const BrowserCaptureSettings settings = BrowserConfiguration::shared().captureSettings;
    return settings;
}

void BrowserCaptureSettings::validate() const
{
    const bool sidesInRange =
        width >= 1 && width <= maximumViewportSide && height >= 1 && height <= maximumViewportSide;
    const bool scaleValid = std::isfinite(deviceScaleFactor) && deviceScaleFactor > 0;
    if (!sidesInRange || !scaleValid) {
        throw BridgeFailure(bridge_text::invalidCaptureSettings, bridge_code::invalidRequest);
    }
}

nlohmann::json BrowserCaptureSettings::encode() const
{
    return {{"width", width}, {"height", height}, {"deviceScaleFactor", deviceScaleFactor}, {"mobile", mobile}};
}

BrowserCaptureSettings BrowserCaptureSettings::decodeConfigured(const nlohmann::json& value)
{
    return readSettings(wire::requireObject(value, "Capture settings"));
}

BrowserCaptureSettings BrowserCaptureSettings::decode(const simdjson::dom::element& value)
{
    return readSettings(wire::Members(wire::requireObject(value, "Capture settings")));
}

} // namespace tavlen
