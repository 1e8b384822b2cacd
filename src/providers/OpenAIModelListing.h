#pragma once

#include "ModelSelection.h"
#include "OpenAITransport.h"

#include <QCoroTask>

#include <chrono>
#include <cstdint>
#include <stop_token>
#include <string>
#include <vector>

namespace tavlen {

// The models an OpenAI key may use: one GET of "models" (no paging), at most this many bytes, within this time.
inline constexpr std::int64_t openAIModelListingByteLimit = 2'097'152;
inline constexpr std::chrono::seconds openAIModelListingTimeLimit{15};

// Every entry of the listing's "data" that is an object with a string "id" naming a valid selection, once, sorted
// by identifier in the localized standard order (ties keep the answer's order). Throws the transport's
// OpenAIFailure and that of a non-success status; ProviderFailure invalid_provider_response for a body that is
// not strict JSON; OpenAIFailure invalid_provider_response without a "data" array; CancelledError on stop.
QCoro::Task<std::vector<ModelSelection>>
listOpenAIModels(OpenAITransport& transport, std::string apiKey, std::stop_token stop);

} // namespace tavlen
