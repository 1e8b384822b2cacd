#include "OpenAIFailure.h"

#include "TransportText.h"

namespace tavlen {

namespace {

// The providers do not bill a request they refuse as the client's fault, except a request time-out.
bool isUnbilledStatus(std::int64_t status)
{
    return status >= 400 && status <= 499 && status != 408;
}

} // namespace

OpenAIFailure::OpenAIFailure(std::string_view code, std::string_view message, bool knownUnbilled)
    : std::runtime_error(std::string(message))
    , m_code(code)
    , m_knownUnbilled(knownUnbilled)
{}

OpenAIFailure OpenAIFailure::invalidResponse()
{
    return {"invalid_provider_response", provider_text::openAIInvalidResponse, false};
}

OpenAIFailure OpenAIFailure::timeout()
{
    return {provider_code::executionTimeout, provider_text::openAITimeout, false};
}

OpenAIFailure OpenAIFailure::responseTooLarge()
{
    return {provider_code::budgetExceeded, provider_text::openAIResponseTooLarge, false};
}

OpenAIFailure OpenAIFailure::requestTooLarge()
{
    return {provider_code::budgetExceeded, provider_text::openAIRequestTooLarge, false};
}

OpenAIFailure OpenAIFailure::network()
{
    return {provider_code::providerNetwork, provider_text::openAINetwork, false};
}

OpenAIFailure OpenAIFailure::forStatus(std::int64_t status, std::string_view errorCode)
{
    if (status == 401 || status == 403) {
        return {provider_code::providerAuthentication, provider_text::openAIAuthentication, true};
    }
    if (errorCode == "insufficient_quota" || errorCode == "billing_hard_limit_reached") {
        return {provider_code::providerQuota, provider_text::openAIQuota, true};
    }
    const std::string decimal = std::to_string(status);
    return {std::string(provider_code::providerHTTPPrefix) + decimal,
            std::string(provider_text::openAIHTTPStart) + decimal + std::string(provider_text::openAIHTTPEnd),
            isUnbilledStatus(status)};
}

bool operator==(const OpenAIFailure& a, const OpenAIFailure& b)
{
    return a.m_code == b.m_code && std::string_view(a.what()) == std::string_view(b.what()) &&
           a.m_knownUnbilled == b.m_knownUnbilled;
}

} // namespace tavlen
