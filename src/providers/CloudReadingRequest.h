#pragma once

#include "ModelSelection.h"
#include "ProviderJSON.h"
#include "ReadingField.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavlen {

// The body of one reading for Anthropic (Messages API) or Gemini (generateContent): the system prompt, one user
// turn with the field list, the page evidence and the crop as base64 PNG, the two tools, one call of either, and
// at most outputTokens. Gemini's model travels in the URL, Anthropic's in the body.
ProviderJSON cloudReadingRequestBody(ModelSelection::Provider provider,
                                     const std::string& modelIdentifier,
                                     const std::vector<ReadingField>& fields,
                                     const std::string& fieldListJSON,
                                     std::string_view png,
                                     std::string_view evidenceJSON,
                                     std::int64_t outputTokens);

} // namespace tavlen
