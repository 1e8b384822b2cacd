#include "BrowserCaptureSettings.h"

#include "BridgeFailure.h"
#include "WireCoding.h"

#include <cmath>

namespace tavlen {

bool BrowserCaptureSettings::isValid() const
{
    return isValidSide(width) && isValidSide(height) && std::isfinite(deviceScaleFactor) && deviceScaleFactor > 0;
}

void BrowserCaptureSettings::validate() const
{
    if (!isValid()) {
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
