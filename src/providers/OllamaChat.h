#pragma once

#include "ModelUsage.h"
#include "ProviderJSON.h"
#include "Reading.h"
#include "ReadingField.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavlen {

// What Ollama is told to do: extract the fields (318 bytes; ends with a line feed).
inline constexpr std::string_view ollamaInstructionText =
    "Extract all configured fields from the screenshot crop using each field's name and type.\n"
    "The instruction field contains optional reading instructions. Use them when supplied; an empty or\n"
    "whitespace-only instruction means no additional hints. Identify the value from its name, type,\n"
    "and the selected screenshot region.\n";

// How Ollama answers, followed by the schema (655 bytes; begins and ends with a line feed).
inline constexpr std::string_view ollamaOutputRules =
    "\n"
    "Return only JSON matching the supplied schema:\n"
    "status success with every requested ID in values, or status failure and reason not_found or uncertain.\n"
    "Never guess.\n"
    "For fields with type \"Text\", return a JSON string preserving the exact observed text, including\n"
    "whitespace, even if the text contains only digits. Return an empty string (\"\") only when the requested\n"
    "text area is visible and clearly empty.\n"
    "For fields with type \"Number\", return a finite JSON number, not a quoted string. Return 0 only\n"
    "when the observed numeric value is zero.\n"
    "Never use an empty string or 0 as a placeholder for a missing, unreadable, or uncertain value.\n"
    "\n"
    "Output JSON schema:\n";

// The structured output Ollama must give: {"status": "success", "values": one typed value per field key} or
// {"status": "failure", "reason": "not_found" or "uncertain"}, as {"oneOf": [success, failure]}.
ProviderJSON ollamaFormatSchema(const std::vector<ReadingField>& fields);

// The chat body of one reading: the model, no streaming, the format schema, temperature 0 and at most 8192
// output tokens, a system message (instructions, evidence rules, output rules, the schema as text) and a user
// message with the field list, the page evidence and the crop as base64 PNG.
ProviderJSON ollamaChatBody(const std::string& modelIdentifier,
                            const ProviderJSON& formatSchema,
                            const std::string& fieldListJSON,
                            std::string_view png,
                            std::string_view evidenceJSON);

// The counts and times of a chat answer: prompt and output tokens when they are counts, no cache, the reported
// model, the load time from nanoseconds. The duration is left to the caller.
ModelUsage ollamaUsage(const ProviderJSON& answer);

// The validated readings of a finished chat answer of the model, in field order. Throws ProviderFailure:
// invalid_provider_response for any other answer, ollama_output_limit when the output was cut short,
// "reading_" and the reason when the model reported it cannot read the fields; the ReadingFailure of the
// readings' validation.
std::vector<Reading>
parseOllamaChatResponse(std::string_view body, const std::vector<ReadingField>& fields, const std::string& model);

} // namespace tavlen
