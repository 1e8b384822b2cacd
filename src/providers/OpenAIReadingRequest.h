#pragma once

#include "ProviderJSON.h"
#include "ReadingField.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavlen {

// The Responses API body of one reading: the system prompt as instructions, one user message with the field
// list, the page evidence and the crop as a PNG data URL, the two function tools (strict), one required call, no
// parallel calls, at most outputTokens, no streaming, storage or truncation, the default service tier.
ProviderJSON openAIReadingRequestBody(const std::string& modelIdentifier,
                                      const std::vector<ReadingField>& fields,
                                      const std::string& fieldListJSON,
                                      std::string_view png,
                                      std::string_view evidenceJSON,
                                      std::int64_t outputTokens);

} // namespace tavlen
