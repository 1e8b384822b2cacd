#pragma once

#include "ModelSelection.h"
#include "ProviderFailure.h"

#include <cstdint>
#include <string>

namespace tavlen {

// The answer's body when it is within byteLimit and its status is a success. Otherwise throws ProviderFailure:
// budgetExceededFailure for a body over the limit (whatever the status), else the failure of the status:
// provider_authentication for 401 and 403, "provider_http_" and the status for the rest, with the sentence of the
// status (429 and 503 have their own; 503 quotes the provider's error message). knownUnbilled for 400 to 499
// except 408.
std::string
cloudStatusFailure(ModelSelection::Provider provider, std::int64_t byteLimit, std::int64_t status, std::string body);

// "budget_exceeded": a request or answer over its size limit.
ProviderFailure budgetExceededFailure(ModelSelection::Provider provider);

// "invalid_provider_response" naming the provider: an answer that is not what a reading or listing expects.
ProviderFailure invalidResponseFailure(ModelSelection::Provider provider);

// "execution_timeout": the request reached its time limit.
ProviderFailure modelTimeoutFailure();

// "provider_network": the provider could not be reached.
ProviderFailure cloudNetworkFailure(ModelSelection::Provider provider);

} // namespace tavlen
