#pragma once

#include "ModelSelection.h"
#include "ModelUsage.h"
#include "ProviderJSON.h"
#include "Reading.h"
#include "ReadingField.h"

#include <optional>
#include <vector>

namespace tavlen {

// The token counts of an Anthropic ("usage") or Gemini ("usageMetadata") answer, with the reported model;
// nothing when a count is missing, not whole, negative or above 10,000,000 (optional ones count 0 when absent),
// or when Gemini reports more cached than prompt tokens. The duration is left to the caller.
std::optional<ModelUsage> cloudUsage(ModelSelection::Provider provider, const ProviderJSON& answer);

// The readings of the answer's one tool call. Throws ReadingFailure::invalidReadings() for an answer of another
// shape (not finished by the call, a block or part of an unknown kind, no or several calls, a blocked candidate)
// and the ReadingFailure of the call's decoding.
std::vector<Reading>
cloudReadings(ModelSelection::Provider provider, const ProviderJSON& answer, const std::vector<ReadingField>& fields);

} // namespace tavlen
