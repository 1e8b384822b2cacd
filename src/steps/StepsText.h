#pragma once

#include <string_view>

namespace tavlen {

// Every sentence the steps model shows to the user, spelled once.
namespace steps_text {

// Input check of a step, shown next to the input.
inline constexpr std::string_view selectModel = "Select a configured AI model.";
inline constexpr std::string_view positiveTimeout = "Enter a positive whole-number timeout in seconds.";
inline constexpr std::string_view enterFieldName = "Enter a field name.";
inline constexpr std::string_view completeURL = "Enter a complete URL starting with https:// or http://.";
inline constexpr std::string_view delayRange = "Enter a whole number from 0 to 60 seconds.";
inline constexpr std::string_view viewportRange = "Enter a whole number from 1 to 8,000,000 CSS pixels.";
inline constexpr std::string_view deviceScaleFactor = "Enter a positive device scale factor, such as 1 or 1.5.";

// Document check, reported by the save paths.
inline constexpr std::string_view documentURL = "Enter a complete HTTP(S) URL.";
inline constexpr std::string_view documentDelay = "Enter a screenshot delay from 0 to 60 seconds.";
inline constexpr std::string_view documentViewport = "Enter positive viewport dimensions and device scale factor.";
inline constexpr std::string_view documentTimeout = "Enter a positive whole-number timeout in seconds.";
inline constexpr std::string_view documentNoFields = "Add at least one field.";
inline constexpr std::string_view documentFieldName = "Enter a name for every field.";

// A captured screenshot that cannot be used.
inline constexpr std::string_view screenshotUnreadable =
    "Chrome returned an image that could not be opened. Test the Open page step again.";

} // namespace steps_text
} // namespace tavlen
