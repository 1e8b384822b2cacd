#include "CloudReadingRequest.h"

#include "Base64.h"
#include "ReadingPrompt.h"
#include "ReadingRequestSupport.h"
#include "ReadingTools.h"

namespace tavlen {

namespace {

ProviderJSON text(std::string_view value)
{
    return ProviderJSON::string(std::string(value));
}

ProviderJSON anthropicBody(const std::string& modelIdentifier,
                           const std::vector<ReadingField>& fields,
                           const std::string& fieldListJSON,
                           const std::string& pngBase64,
                           std::string_view evidenceJSON,
                           std::int64_t outputTokens)
{
    const auto textPart = [](std::string value) {
        return ProviderJSON::object({{"type", text("text")}, {"text", ProviderJSON::string(std::move(value))}});
    };
    const ProviderJSON image =
        ProviderJSON::object({{"type", text("image")},
                              {"source",
                               ProviderJSON::object({{"type", text("base64")},
                                                     {"media_type", text("image/png")},
                                                     {"data", ProviderJSON::string(pngBase64)}})}});
    const auto tool = [](const ReadingTool& readingTool, ProviderJSON schema) {
        return ProviderJSON::object({{"name", text(readingTool.name)},
                                     {"description", text(readingTool.description)},
                                     {"input_schema", std::move(schema)}});
    };
    return ProviderJSON::object(
        {{"model", ProviderJSON::string(modelIdentifier)},
         {"max_tokens", ProviderJSON::number(static_cast<double>(outputTokens))},
         {"stream", ProviderJSON::boolean(false)},
         {"system", ProviderJSON::string(readingSystemPrompt())},
         {"messages",
          ProviderJSON::array({ProviderJSON::object(
              {{"role", text("user")},
               {"content",
                ProviderJSON::array({textPart(fieldListJSON), textPart(evidenceText(evidenceJSON)), image})}})})},
         {"tools",
          ProviderJSON::array({tool(submitReadingsTool, submitReadingsSchema(fields)),
                               tool(reportFailureTool, reportFailureSchema())})},
         {"tool_choice",
          ProviderJSON::object({{"type", text("auto")}, {"disable_parallel_tool_use", ProviderJSON::boolean(true)}})}});
}

ProviderJSON geminiBody(const std::vector<ReadingField>& fields,
                        const std::string& fieldListJSON,
                        const std::string& pngBase64,
                        std::string_view evidenceJSON,
                        std::int64_t outputTokens)
{
    const auto textPart = [](std::string value) {
        return ProviderJSON::object({{"text", ProviderJSON::string(std::move(value))}});
    };
    const ProviderJSON image = ProviderJSON::object(
        {{"inlineData",
          ProviderJSON::object({{"mimeType", text("image/png")}, {"data", ProviderJSON::string(pngBase64)}})}});
    const auto declaration = [](const ReadingTool& readingTool, ProviderJSON schema) {
        return ProviderJSON::object({{"name", text(readingTool.name)},
                                     {"description", text(readingTool.description)},
                                     {"parametersJsonSchema", std::move(schema)}});
    };
    return ProviderJSON::object(
        {{"systemInstruction",
          ProviderJSON::object({{"parts", ProviderJSON::array({textPart(readingSystemPrompt())})}})},
         {"contents",
          ProviderJSON::array({ProviderJSON::object(
              {{"role", text("user")},
               {"parts",
                ProviderJSON::array({textPart(fieldListJSON), textPart(evidenceText(evidenceJSON)), image})}})})},
         {"tools",
          ProviderJSON::array({ProviderJSON::object(
              {{"functionDeclarations",
                ProviderJSON::array({declaration(submitReadingsTool, submitReadingsSchema(fields)),
                                     declaration(reportFailureTool, reportFailureSchema())})}})})},
         {"toolConfig",
          ProviderJSON::object({{"functionCallingConfig",
                                 ProviderJSON::object({{"mode", text("ANY")},
                                                       {"allowedFunctionNames",
                                                        ProviderJSON::array({text(submitReadingsTool.name),
                                                                             text(reportFailureTool.name)})}})}})},
         {"generationConfig",
          ProviderJSON::object({{"candidateCount", ProviderJSON::number(1)},
                                {"maxOutputTokens", ProviderJSON::number(static_cast<double>(outputTokens))}})}});
}

} // namespace

ProviderJSON cloudReadingRequestBody(ModelSelection::Provider provider,
                                     const std::string& modelIdentifier,
                                     const std::vector<ReadingField>& fields,
                                     const std::string& fieldListJSON,
                                     std::string_view png,
                                     std::string_view evidenceJSON,
                                     std::int64_t outputTokens)
{
    const std::string pngBase64 = base64Encode(png);
    if (provider == ModelSelection::Provider::anthropic) {
        return anthropicBody(modelIdentifier, fields, fieldListJSON, pngBase64, evidenceJSON, outputTokens);
    }
    return geminiBody(fields, fieldListJSON, pngBase64, evidenceJSON, outputTokens);
}

} // namespace tavlen
