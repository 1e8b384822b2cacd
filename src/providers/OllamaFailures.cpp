#include "OllamaFailures.h"

#include "TransportText.h"

#include <string>

namespace tavlen {

ProviderFailure ollamaModelMissingFailure()
{
    return {provider_code::ollamaModelMissing, provider_text::ollamaModelMissing, false};
}

ProviderFailure ollamaUnsupportedModelFailure()
{
    return {provider_code::ollamaUnsupportedModel, provider_text::ollamaUnsupportedModel, false};
}

ProviderFailure ollamaStatusFailure(std::int64_t status, std::string_view errorText)
{
    const auto mentions = [errorText](std::string_view word) { return errorText.find(word) != std::string_view::npos; };
    if (mentions("memory") || mentions("allocat")) {
        return {provider_code::ollamaMemory, provider_text::ollamaMemory, false};
    }
    if (mentions("vision") || mentions("image") || mentions("format")) {
        return ollamaUnsupportedModelFailure();
    }
    const std::string decimal = std::to_string(status);
    return {std::string(provider_code::ollamaHTTPPrefix) + decimal,
            std::string(provider_text::ollamaHTTPStart) + decimal + std::string(provider_text::ollamaHTTPEnd),
            false};
}

} // namespace tavlen
