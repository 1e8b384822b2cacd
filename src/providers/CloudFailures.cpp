#include "CloudFailures.h"

#include "ProviderJSON.h"
#include "ProviderText.h"
#include "TransportText.h"
#include "UnbilledStatus.h"
#include "Utf8.h"

namespace tavlen {

namespace {

std::string nameOf(ModelSelection::Provider provider)
{
    return ModelSelection::label(provider);
}

// The provider's own explanation of a 503, or the general advice when it gives none.
std::string unavailableDetail(const std::string& body)
{
    try {
        const std::optional<ProviderJSON> message =
            ProviderJSON::parse(body).member("error").value_or(ProviderJSON()).member("message");
        if (message && message->asString()) {
            const std::string_view trimmed = trimWhitespaceAndNewlines(*message->asString());
            if (!trimmed.empty()) {
                return std::string(trimmed);
            }
        }
    } catch (const ProviderFailure&) {
    }
    return std::string(provider_text::cloudUnavailableDetail);
}

} // namespace

std::string
cloudStatusFailure(ModelSelection::Provider provider, std::int64_t byteLimit, std::int64_t status, std::string body)
{
    if (static_cast<std::int64_t>(body.size()) > byteLimit) {
        throw budgetExceededFailure(provider);
    }
    if (status >= 200 && status <= 299) {
        return body;
    }
    const std::string name = nameOf(provider);
    const std::string decimal = std::to_string(status);
    const bool unbilled = isUnbilledStatus(status);
    if (status == 401 || status == 403) {
        throw ProviderFailure(
            provider_code::providerAuthentication, name + std::string(provider_text::cloudAuthentication), unbilled);
    }
    const std::string code = std::string(provider_code::providerHTTPPrefix) + decimal;
    if (status == 429) {
        throw ProviderFailure(code, name + std::string(provider_text::cloudRateLimit), unbilled);
    }
    if (status == 503) {
        throw ProviderFailure(
            code, name + std::string(provider_text::cloudUnavailable) + unavailableDetail(body), unbilled);
    }
    throw ProviderFailure(code,
                          name + std::string(provider_text::cloudHTTPStart) + decimal +
                              std::string(provider_text::cloudHTTPEnd),
                          unbilled);
}

ProviderFailure budgetExceededFailure(ModelSelection::Provider provider)
{
    return {provider_code::budgetExceeded,
            std::string(provider_text::cloudTooLargeStart) + nameOf(provider) +
                std::string(provider_text::cloudTooLarge),
            false};
}

ProviderFailure invalidResponseFailure(ModelSelection::Provider provider)
{
    return {provider_code::invalidProviderResponse,
            nameOf(provider) + std::string(provider_text::cloudInvalidResponse),
            false};
}

ProviderFailure modelTimeoutFailure()
{
    return {provider_code::executionTimeout, provider_text::modelTimeout, false};
}

ProviderFailure cloudNetworkFailure(ModelSelection::Provider provider)
{
    return {provider_code::providerNetwork,
            std::string(provider_text::cloudNetworkStart) + nameOf(provider) +
                std::string(provider_text::cloudNetworkEnd),
            false};
}

} // namespace tavlen
