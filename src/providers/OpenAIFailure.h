#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tavlen {

// A failed exchange with OpenAI, OpenAI's counterpart of ProviderFailure: a lower snake case code stored with the
// check, the sentence shown to the user (what()), and whether OpenAI is known not to bill the request.
class OpenAIFailure : public std::runtime_error
{
public:
    OpenAIFailure(std::string_view code, std::string_view message, bool knownUnbilled);

    // "invalid_provider_response": a request the transport refuses to send, or an answer that is not HTTP.
    static OpenAIFailure invalidResponse();
    // "execution_timeout": a time-out that is not positive.
    static OpenAIFailure timeout();
    // "budget_exceeded": an answer over the response byte limit.
    static OpenAIFailure responseTooLarge();
    // "budget_exceeded": a request body over the request byte limit even without the page evidence.
    static OpenAIFailure requestTooLarge();
    // "provider_network": no answer (connection, name resolution, TLS, the HTTP client's time-out).
    static OpenAIFailure network();
    // The failure of a non-success status: authentication, quota or "provider_http_" and the status.
    static OpenAIFailure forStatus(std::int64_t status, std::string_view errorCode);

    const std::string& code() const { return m_code; }

    std::string message() const { return what(); }

    bool knownUnbilled() const { return m_knownUnbilled; }

    friend bool operator==(const OpenAIFailure& a, const OpenAIFailure& b);

private:
    std::string m_code;
    bool m_knownUnbilled;
};

} // namespace tavlen
