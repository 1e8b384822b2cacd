#include "BrowserConfiguration.h"

#include "BridgeFailure.h"
#include "BrowserResources.h"
#include "JsonParse.h"
#include "WireCoding.h"

#include <exception>

namespace tavlen {

BrowserConfiguration BrowserConfiguration::load()
{
    const std::string bytes = loadBrowserResource("config");
    const auto json = parseJson(bytes);
    if (!json) {
        throw WireDecodingError("The \"config\" resource is not valid JSON.");
    }
    return decode(*json);
}

BrowserConfiguration BrowserConfiguration::loadInstalled()
{
    try {
        return load();
    } catch (const std::exception&) {
        throw BridgeFailure(bridge_text::resourcesMissing);
    }
}

BrowserConfiguration BrowserConfiguration::decode(const nlohmann::json& value)
{
    const auto& object = wire::requireObject(value, "The configuration");
    BrowserConfiguration configuration;
    configuration.hostName = wire::requiredString(object, "hostName");
    configuration.extensionKey = wire::requiredString(object, "extensionKey");
    configuration.allowedExtensionIDs = wire::requiredStrings(object, "allowedExtensionIds");
    configuration.protocolVersion = wire::requiredInteger(object, "protocolVersion");
    configuration.limits = BrowserLimits::decode(wire::requiredObject(object, "limits"));
    configuration.captureSettings =
        BrowserCaptureSettings::decodeStored(wire::requiredObject(object, "captureSettings"));
    return configuration;
}

} // namespace tavlen
