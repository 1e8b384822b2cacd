#pragma once

#include <string_view>

namespace tavlen {

// Every sentence and code that running a check shows or stores, spelled once.
namespace execution_text {
// Capture service.
inline constexpr std::string_view enterCaptureURL = "Enter a complete HTTP(S) URL.";
inline constexpr std::string_view captureDelayOutOfRange = "Enter a screenshot delay from 0 to 60 seconds.";
inline constexpr std::string_view captureActive = "Another check or browser operation is active.";
inline constexpr std::string_view chromeBusy = "Chrome is busy or waiting for cleanup. Try again when it is idle.";
inline constexpr std::string_view connectSuffix = " Click the Chrome button in the toolbar to connect.";
inline constexpr std::string_view tabNotClosed =
    "Chrome did not confirm that its temporary tab closed. Click the Chrome button in the toolbar to check the "
    "connection.";

// Executor.
inline constexpr std::string_view noTargetStep = "The workflow has no target step.";
inline constexpr std::string_view cancelled = "Execution cancelled.";
inline constexpr std::string_view enterStepURL = "Enter a complete URL starting with https:// or http://.";
inline constexpr std::string_view stepDelayOutOfRange = "Enter a screenshot delay from 0 to 60 seconds.";
inline constexpr std::string_view modelAndTimeout =
    "Select a configured AI model and a positive timeout in this Read step.";
inline constexpr std::string_view sourceAndRegion = "Execute the Open page step and select a screenshot region first.";
inline constexpr std::string_view readingUnavailable = "Reading execution is unavailable.";
// A step that threw something that is not an error of ours: a fault, logged where it is caught.
inline constexpr std::string_view unknownFailure = "The step failed with an unknown error.";

// Check-result store.
inline constexpr std::string_view chartRangeInverted = "Choose a start time before the end time.";

// Steps store: why a monitor or a step cannot run now.
inline constexpr std::string_view monitorBeingDeleted = "This monitor is being deleted.";
inline constexpr std::string_view loadingSteps = "Loading steps…";
inline constexpr std::string_view stepsUnavailable = "Steps are unavailable. Retry loading them in Steps.";
inline constexpr std::string_view savingSteps = "Saving Steps…";
inline constexpr std::string_view resolveStorageError = "Resolve the storage error in Steps before running.";
inline constexpr std::string_view retryStoringResults =
    "Retry storing the previous results in Steps or Schedule before running.";
inline constexpr std::string_view checkStorageUnavailable = "Check storage is unavailable.";
inline constexpr std::string_view saveStepsFirst = "Save Steps before running.";
inline constexpr std::string_view finishNavigation = "Finish the current navigation before running.";
inline constexpr std::string_view executionInProgress = "Another execution or result write is in progress.";
inline constexpr std::string_view modelNotConfigured = "Select a configured AI model in this Read step.";
// Steps store: a scheduled check of a monitor without saved steps.
inline constexpr std::string_view saveStepsForSchedule = "Save Steps before running this monitor on a schedule.";
} // namespace execution_text

namespace execution_code {
inline constexpr std::string_view executionFailed = "execution_failed";
inline constexpr std::string_view cancelled = "cancelled";
} // namespace execution_code

} // namespace tavlen
