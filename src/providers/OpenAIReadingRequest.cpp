#include "OpenAIReadingRequest.h"

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

ProviderJSON functionTool(const ReadingTool& tool, ProviderJSON parameters)
{
    return ProviderJSON::object({{"type", text("function")},
                                 {"name", text(tool.name)},
                                 {"description", text(tool.description)},
                                 {"parameters", std::move(parameters)},
                                 {"strict", ProviderJSON::boolean(true)}});
}

ProviderJSON inputText(std::string value)
{
    return ProviderJSON::object({{"type", text("input_text")}, {"text", ProviderJSON::string(std::move(value))}});
}

} // namespace

ProviderJSON openAIReadingRequestBody(const std::string& modelIdentifier,
                                      const std::vector<ReadingField>& fields,
                                      const std::string& fieldListJSON,
                                      std::string_view png,
                                      std::string_view evidenceJSON,
                                      std::int64_t outputTokens)
{
    const ProviderJSON image =
        ProviderJSON::object({{"type", text("input_image")},
                              {"image_url", ProviderJSON::string("data:image/png;base64," + base64Encode(png))},
                              {"detail", text("high")}});
    const ProviderJSON message = ProviderJSON::object(
        {{"role", text("user")},
         {"content", ProviderJSON::array({inputText(fieldListJSON), inputText(evidenceText(evidenceJSON)), image})}});
    return ProviderJSON::object({{"model", ProviderJSON::string(modelIdentifier)},
                                 {"instructions", ProviderJSON::string(readingSystemPrompt())},
                                 {"input", ProviderJSON::array({message})},
                                 {"tools",
                                  ProviderJSON::array({functionTool(submitReadingsTool, submitReadingsSchema(fields)),
                                                       functionTool(reportFailureTool, reportFailureSchema())})},
                                 {"tool_choice", text("required")},
                                 {"parallel_tool_calls", ProviderJSON::boolean(false)},
                                 {"max_output_tokens", ProviderJSON::number(static_cast<double>(outputTokens))},
                                 {"stream", ProviderJSON::boolean(false)},
                                 {"store", ProviderJSON::boolean(false)},
                                 {"truncation", text("disabled")},
                                 {"service_tier", text("default")}});
}

} // namespace tavlen
