#include "BrowserConfiguration.h"

#include "BridgeFailure.h"
#include "BrowserResources.h"
#include "JsonParse.h"
#include "WireCoding.h"

#include <exception>
#include <mutex>
#include <optional>

namespace tavlen {

namespace {

struct SharedConfiguration
{
    std::once_flag once;
    std::optional<BrowserConfiguration> configuration;
};

} // namespace

const BrowserConfiguration& BrowserConfiguration::shared()
{
    static SharedConfiguration shared;
    std::call_once(shared.once, [] {
        try {
            shared.configuration = load();
        } catch (const std::exception&) {
            // Left empty: every use reports the installation fault below.
        }
    });
    if (!shared.configuration) {
        throw BridgeFailure(bridge_text::resourcesMissing);
    }
    return *shared.configuration;
}

BrowserConfiguration BrowserConfiguration::load()
{
    const std::string bytes = loadBrowserResource("config");
    const auto json = parseJson(bytes);
    if (!json) {
        throw WireDecodingError("The \"config\" resource is not valid JSON.");
    }
    return decode(*json);
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
        BrowserCaptureSettings::decodeConfigured(wire::requiredObject(object, "captureSettings"));
    return configuration;
}

} // namespace tavlen
