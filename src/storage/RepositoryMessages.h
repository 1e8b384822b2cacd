#pragma once

// The sentences of the workspace repositories that reach the user, spelled once.
namespace tavlen::repository_messages {

inline constexpr const char* monitorListedTwice = "Each monitor can appear only once in the list.";
inline constexpr const char* selectModelInEveryReadStep = "Select a configured AI model in every Read step and save.";
inline constexpr const char* modelNoLongerConfigured = "This model is no longer configured. Select another model.";

} // namespace tavlen::repository_messages
