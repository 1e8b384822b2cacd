#pragma once

#include <string_view>

namespace tavlen {

namespace provider_text {

// API keys.
inline constexpr std::string_view keyEmpty = "Enter an API key.";
inline constexpr std::string_view keyInvalidCharacters =
    "The API key cannot contain spaces, line breaks, or control characters.";
inline constexpr std::string_view keyInvalidStoredData = "The saved API key could not be read. Replace it in Settings.";
// Keys are kept in the XDG data folder, so that is the folder the user is asked to check.
inline constexpr std::string_view keyStorage = "Tavlen could not access the saved API key. Check available disk space "
                                               "and access to the data folder (usually ~/.local/share), then retry.";

// OpenAI.
inline constexpr std::string_view openAIInvalidResponse =
    "OpenAI returned an incomplete or unsupported tool response. Choose Test step to retry.";
inline constexpr std::string_view openAITimeout = "The reading request reached its time limit.";
inline constexpr std::string_view openAIResponseTooLarge =
    "The reading request reached its provider response size limit.";
inline constexpr std::string_view openAIRequestTooLarge =
    "The reading request reached its provider request size limit.";
inline constexpr std::string_view openAINetwork = "Could not reach OpenAI. Check your connection and try again.";
inline constexpr std::string_view openAIAuthentication =
    "OpenAI did not authorize this request. Check your API key and model access in Settings.";
inline constexpr std::string_view openAIQuota =
    "OpenAI API quota is unavailable. Check your OpenAI billing and limits.";
// Followed by the status and openAIHTTPEnd.
inline constexpr std::string_view openAIHTTPStart = "OpenAI could not complete this request (HTTP ";
inline constexpr std::string_view openAIHTTPEnd = ").";
inline constexpr std::string_view openAIUnsupportedProvider = "Select an OpenAI model for this service.";
inline constexpr std::string_view openAIMissingKey = "Save an OpenAI API key in Settings to execute Read.";

// Anthropic and Gemini; the provider's name goes where the pieces meet.
inline constexpr std::string_view modelTimeout =
    "The model request reached its time limit. Try a smaller model or screenshot region.";
inline constexpr std::string_view cloudNetworkStart = "Could not reach ";
inline constexpr std::string_view cloudNetworkEnd = ". Check your connection and try again.";
inline constexpr std::string_view cloudAuthentication =
    " did not authorize this request. Check your API key and model access in Settings.";
inline constexpr std::string_view cloudRateLimit =
    " reached a rate or quota limit. Check your billing and limits, then try again.";
inline constexpr std::string_view cloudUnavailable = " is temporarily unavailable (HTTP 503). ";
inline constexpr std::string_view cloudUnavailableDetail = "Please try again later.";
// Provider name, cloudHTTPStart, the status, cloudHTTPEnd.
inline constexpr std::string_view cloudHTTPStart = " could not complete this request (HTTP ";
inline constexpr std::string_view cloudHTTPEnd = "). Check that the model supports images and function calls.";
// "The ", the provider name, cloudTooLarge.
inline constexpr std::string_view cloudTooLargeStart = "The ";
inline constexpr std::string_view cloudTooLarge =
    " request reached its size limit. Try a smaller screenshot region or fewer fields.";
inline constexpr std::string_view cloudInvalidResponse =
    " returned an incomplete or invalid response. Review the model, region, and instructions, then try again.";
// "Save your ", the provider name, cloudMissingKeyEnd.
inline constexpr std::string_view cloudMissingKeyStart = "Save your ";
inline constexpr std::string_view cloudMissingKeyEnd = " API key in Settings to execute Read.";

// Ollama.
inline constexpr std::string_view ollamaModelMissing =
    "This model is no longer available on the configured server. Select another model in the Read step.";
inline constexpr std::string_view ollamaMemory =
    "Ollama could not load this model into memory. Close other applications or choose a smaller model.";
inline constexpr std::string_view ollamaUnsupportedModel =
    "This model cannot process the reading request. Select a model with image and structured-output support.";
// ollamaHTTPStart, the status, ollamaHTTPEnd.
inline constexpr std::string_view ollamaHTTPStart = "Ollama could not complete the request (HTTP ";
inline constexpr std::string_view ollamaHTTPEnd = "). Check Ollama and try another model.";
inline constexpr std::string_view ollamaUnavailable =
    "Could not reach the configured Ollama server. Check the host and connection, then try again.";
inline constexpr std::string_view ollamaRequestLimit = "This region is too large. Select a smaller region.";
inline constexpr std::string_view ollamaOutputLimit = "Ollama reached the output token limit before completing the "
                                                      "readings. Try fewer fields at once or choose another model.";
inline constexpr std::string_view ollamaReadingFailed =
    "The model could not reliably read every field. Review the region and instructions.";

// The reading router.
inline constexpr std::string_view providerUnavailable = "This model provider is unavailable.";

} // namespace provider_text

namespace provider_code {
inline constexpr std::string_view providerAuthentication = "provider_authentication";
inline constexpr std::string_view providerQuota = "provider_quota";
inline constexpr std::string_view providerHTTPPrefix = "provider_http_";
inline constexpr std::string_view providerNetwork = "provider_network";
inline constexpr std::string_view executionTimeout = "execution_timeout";
inline constexpr std::string_view budgetExceeded = "budget_exceeded";
inline constexpr std::string_view unsupportedProvider = "unsupported_provider";
inline constexpr std::string_view ollamaModelMissing = "ollama_model_missing";
inline constexpr std::string_view ollamaMemory = "ollama_memory";
inline constexpr std::string_view ollamaUnsupportedModel = "ollama_unsupported_model";
inline constexpr std::string_view ollamaHTTPPrefix = "ollama_http_";
inline constexpr std::string_view ollamaUnavailable = "ollama_unavailable";
inline constexpr std::string_view requestLimit = "request_limit";
inline constexpr std::string_view ollamaOutputLimit = "ollama_output_limit";
inline constexpr std::string_view readingPrefix = "reading_";
} // namespace provider_code

} // namespace tavlen
