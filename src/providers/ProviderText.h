#pragma once

#include <string_view>

namespace tavlen {

// The sentences of reading and page evidence, spelled once; those of the transports and keys are in
// TransportText.h.
namespace provider_text {

// Fields of a Read step, checked before a request.
inline constexpr std::string_view fieldIdentity = "Add at least one field with a unique identity.";
inline constexpr std::string_view fieldName = "Enter a name for every field.";

// The model's answer.
inline constexpr std::string_view invalidReadings =
    "The model returned incomplete or invalid readings. Choose Test step to try again.";
inline constexpr std::string_view fieldsNotFound =
    "Not all requested fields were found in the selected region. Review the region and instructions.";
inline constexpr std::string_view fieldsUncertain =
    "Not all requested fields could be determined reliably. Review the region and instructions.";
inline constexpr std::string_view invalidProviderResponse =
    "The model returned incomplete or invalid readings. Review the region and instructions, then try again.";

// The region of a Read step on its screenshot.
inline constexpr std::string_view regionOutsideScreenshot =
    "The selected region is outside the screenshot. Move or resize it, then choose Test step.";
inline constexpr std::string_view regionNotPrepared = "The selected screenshot region could not be prepared.";

} // namespace provider_text

// Every machine code the model providers store with a failed check.
namespace provider_code {
inline constexpr std::string_view invalidProviderResponse = "invalid_provider_response";
} // namespace provider_code

} // namespace tavlen
