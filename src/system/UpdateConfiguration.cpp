#include "UpdateConfiguration.h"

#include "Base64.h"
#include "Url.h"

#include <optional>

namespace tavlen {

namespace {

std::optional<std::string> textOf(const nlohmann::json& info, std::string_view key)
{
    if (!info.is_object()) {
        return std::nullopt;
    }
    const auto found = info.find(key);
    if (found == info.end() || !found->is_string()) {
        return std::nullopt;
    }
    return found->get<std::string>();
}

bool isUpdateFeed(const std::optional<std::string>& text)
{
    const auto url = text ? parseURLComponents(*text) : std::nullopt;
    return url && url->scheme == "https" && url->host && !url->host->empty();
}

bool isPublicKey(const std::optional<std::string>& text)
{
    const auto bytes = text ? base64Decode(*text) : std::nullopt;
    return bytes && bytes->size() == 32;
}

} // namespace

UpdateConfiguration UpdateConfiguration::fromInfoDictionary(const nlohmann::json& info, bool isTesting)
{
    UpdateConfiguration configuration;
    configuration.version = textOf(info, versionKey).value_or("Development");
    configuration.enabled = !isTesting && textOf(info, enabledKey) == "YES" && isUpdateFeed(textOf(info, feedURLKey)) &&
                            isPublicKey(textOf(info, publicKeyKey));
    return configuration;
}

} // namespace tavlen
