#pragma once

// The fixed sentences of workspace storage that reach the user, spelled once.
namespace tavlen::storage_messages {

inline constexpr const char* incompatibleFormat = "This workspace uses a storage format this version of Tavlen cannot "
                                                  "open. Use a compatible version of the app.";
inline constexpr const char* missingMonitor = "This monitor no longer exists. Reload the workspace to continue.";
inline constexpr const char* staleEdit =
    "This monitor changed since editing began. Reload the saved version before editing again.";
inline constexpr const char* busy = "The workspace is busy. Wait a moment, then try again.";
inline constexpr const char* invalidStoredData =
    "Tavlen could not read the saved workspace. Your data has been kept. Check the database before retrying.";
// The workspace lives in the XDG data folder, so that is the folder the user is asked to check.
inline constexpr const char* storage = "Tavlen could not access the workspace. Check available disk space and access "
                                       "to the data folder (usually ~/.local/share), then retry.";
inline constexpr const char* interrupted =
    "The storage operation was interrupted. Reload the workspace to check what was saved before trying again.";

// Monitor names.
inline constexpr const char* enterName = "Enter a name.";

// Schedule rule validation, in the order the checks run.
inline constexpr const char* selectDay = "Select at least one day.";
inline constexpr const char* intervalOutOfRange = "Enter a positive whole number within the supported range.";
inline constexpr const char* windowOrder = "Choose an end time after the start time, on the same day.";
inline constexpr const char* clockTimes = "Add at least one time, with no duplicate times.";

// Monitor order, steps models.
inline constexpr const char* monitorListedTwice = "Each monitor can appear only once in the list.";
inline constexpr const char* selectModelInEveryReadStep = "Select a configured AI model in every Read step and save.";
inline constexpr const char* modelNoLongerConfigured = "This model is no longer configured. Select another model.";

// Ollama server addresses.
inline constexpr const char* defaultOllamaHost = "http://localhost:11434";
inline constexpr const char* ollamaHostFormat = "Enter an HTTP or HTTPS server host, such as http://localhost:11434.";
inline constexpr const char* ollamaHostInvalid = "Enter a valid server host.";

} // namespace tavlen::storage_messages
