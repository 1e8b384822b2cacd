#pragma once

#include <cstdint>
#include <string>

namespace tavlen {

// The body of an acceptable OpenAI answer: within byteLimit (else budget_exceeded, whatever the status) and with a
// 2xx status. Any other status throws OpenAIFailure: provider_authentication for 401 and 403, provider_quota for
// the error codes "insufficient_quota" and "billing_hard_limit_reached", else "provider_http_" and the status.
std::string checkOpenAIResponse(std::int64_t byteLimit, std::int64_t status, std::string body);

} // namespace tavlen
