#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace tavlen {

// A failed exchange with a model provider: a lower snake case code stored with the check, the sentence shown to
// the user (what()), and whether the provider is known not to bill the request (then a reader reports
// requestNotBilled before rethrowing).
class ProviderFailure : public std::runtime_error
{
public:
    ProviderFailure(std::string_view code, std::string_view message, bool knownUnbilled = false);

    // A response body that is not the strict JSON every answer must be: code "invalid_provider_response".
    static ProviderFailure invalidProviderResponse();

    const std::string& code() const { return m_code; }

    std::string message() const { return what(); }

    bool knownUnbilled() const { return m_knownUnbilled; }

    friend bool operator==(const ProviderFailure& a, const ProviderFailure& b);

private:
    std::string m_code;
    bool m_knownUnbilled;
};

} // namespace tavlen
