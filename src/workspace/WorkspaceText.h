#pragma once

// The fixed sentences of the workspace state that reach the user, spelled once.
namespace tavlen::workspace_text {

// Why a check cannot start because of the workspace.
inline constexpr const char* waitForWorkspaceOperation = "Wait for the workspace operation to finish.";
inline constexpr const char* resolveStorageErrorPrefix = "Resolve the storage error in ";
inline constexpr const char* resolveStorageErrorSuffix = " before running.";
inline constexpr const char* scheduleTabName = "Schedule";
inline constexpr const char* settingsTabName = "Settings";
inline constexpr const char* saveChangesBeforeRunning = "Save monitor changes before running.";

// The schedule form.
inline constexpr const char* required = "Required";
inline constexpr const char* enterValidSchedule = "Enter a valid schedule.";
inline constexpr const char* everyModeTitle = "Every\u2026";
inline constexpr const char* atModeTitle = "At\u2026";

} // namespace tavlen::workspace_text
