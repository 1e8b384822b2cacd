#include "BrowserCaptureSettings.h"

#include "BridgeFailure.h"
#include "WireCoding.h"

#include <cmath>

namespace tavlen {

namespace {
constexpr std::int64_t maximumViewportSide = 8'000'000;
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

BrowserCaptureSettings BrowserCaptureSettings::decode(const nlohmann::json& value)
{
    const auto& object = wire::requireObject(value, "Capture settings");
    return {wire::requiredInteger(object, "width"),
            wire::requiredInteger(object, "height"),
            wire::requiredDouble(object, "deviceScaleFactor"),
            wire::requiredBool(object, "mobile")};
}

} // namespace tavlen
