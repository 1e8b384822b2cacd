#include "ProviderFailure.h"

#include "ProviderText.h"

namespace tavlen {

ProviderFailure::ProviderFailure(std::string_view code, std::string_view message, bool knownUnbilled)
    : std::runtime_error(std::string(message))
    , m_code(code)
    , m_knownUnbilled(knownUnbilled)
{}

ProviderFailure ProviderFailure::invalidProviderResponse()
{
    return ProviderFailure(provider_code::invalidProviderResponse, provider_text::invalidProviderResponse);
}

bool operator==(const ProviderFailure& a, const ProviderFailure& b)
{
    return a.m_code == b.m_code && std::string_view(a.what()) == std::string_view(b.what()) &&
           a.m_knownUnbilled == b.m_knownUnbilled;
}

} // namespace tavlen
