#pragma once

#include <string_view>

namespace tavlen {

// The sentences of configured models and model discovery, spelled once.
namespace provider_text {

// Configured models.
inline constexpr std::string_view modelAlreadyConfigured = "This model is already configured.";
// Followed by the monitors' names, joined with ", ", and a full stop.
inline constexpr std::string_view modelInUseStart =
    "Reassign or delete the Read steps using this model in these monitors first: ";
inline constexpr std::string_view modelIsDefault = "Choose another default model before removing this one.";

// Model discovery; its missing-key line is cloudMissingKeyStart, the provider's name, discoveryMissingKeyEnd.
inline constexpr std::string_view discoveryMissingKeyEnd = " API key to load available models.";
inline constexpr std::string_view discoveryConnecting = "Connecting\u2026";
inline constexpr std::string_view discoveryConnected = "Connected";
inline constexpr std::string_view discoveryNoModels = "Connected \u2014 no models available";
inline constexpr std::string_view discoveryFailed = "Connection failed";
inline constexpr std::string_view discoveryNotConnected = "Not connected";
inline constexpr std::string_view discoveryUnknownFailure = "Could not load models. Try again.";

} // namespace provider_text

} // namespace tavlen
