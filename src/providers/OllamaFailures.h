#pragma once

#include "ProviderFailure.h"

#include <cstdint>
#include <string_view>

namespace tavlen {

// "ollama_model_missing": the server does not offer the model (any more).
ProviderFailure ollamaModelMissingFailure();

// "ollama_unsupported_model": the model or the selection cannot take a reading request.
ProviderFailure ollamaUnsupportedModelFailure();

// The failure of a non-success status other than 404, from the server's error text (lower case): memory,
// unsupported model, or "ollama_http_" and the status.
ProviderFailure ollamaStatusFailure(std::int64_t status, std::string_view errorText);

} // namespace tavlen
