#include "BrowserCaptureSettings.h"

#include "BridgeFailure.h"
#include "WireCoding.h"
#include "WireReading.h"

#include <cmath>

namespace tavlen {

namespace {

// The same members from either reader: an nlohmann object, or the gathered members of a received one.
template <class Object> BrowserCaptureSettings readSettings(const Object& object)
{
    return {wire::requiredInteger(object, "width"),
            wire::requiredInteger(object, "height"),
            wire::requiredDouble(object, "deviceScaleFactor"),
            wire::requiredBool(object, "mobile")};
}

} // namespace

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

BrowserCaptureSettings BrowserCaptureSettings::decodeStored(const nlohmann::json& value)
{
    return readSettings(wire::requireObject(value, "Capture settings"));
}

BrowserCaptureSettings BrowserCaptureSettings::decode(const simdjson::dom::element& value)
{
    return readSettings(wire::Members(wire::requireObject(value, "Capture settings")));
}

} // namespace tavlen
