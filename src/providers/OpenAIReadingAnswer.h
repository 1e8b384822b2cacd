#pragma once

#include "ModelUsage.h"
#include "ProviderJSON.h"
#include "Reading.h"
#include "ReadingField.h"

#include <optional>
#include <string_view>
#include <vector>

namespace tavlen {

// The token counts of a Responses API answer's "usage": input, cached and output tokens (each a whole number of
// at most 10,000,000), cache writes counting 0 when absent, cached plus written not above the input. Nothing when
// any of that does not hold. Duration and model are left to the caller.
std::optional<ModelUsage> openAIUsage(const std::optional<ProviderJSON>& usage);

// The readings of a completed Responses API answer with exactly one acceptable function call. Throws
// ReadingFailure::invalidReadings() for any other answer (a refusal, no or several calls, an error), the
// ReadingFailure of the call's decoding, or ProviderFailure when the body or the arguments are not strict JSON.
std::vector<Reading> openAIReadings(std::string_view body, const std::vector<ReadingField>& fields);

} // namespace tavlen
