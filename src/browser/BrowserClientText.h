#pragma once

#include <string_view>

namespace tavlen {

// Every sentence the browser client shows or raises, spelled once. The bridge's own sentences ("Chrome
// disconnected. …", "Invalid or incompatible browser message.") are in BridgeFailure.h.
namespace browser_text {

// Registration with Chrome.
inline constexpr std::string_view helperMissing = "The browser helper is missing. Rebuild or reinstall Tavlen.";
inline constexpr std::string_view registrationSymlink =
    "Chrome registration contains a symbolic link. Choose a normal Chrome installation.";
inline constexpr std::string_view registrationDirectoryUnsafe = "Chrome registration directory permissions are unsafe.";
inline constexpr std::string_view registrationFileUnsafe = "Chrome registration file is unsafe.";
inline constexpr std::string_view registrationNotSecured = "Could not secure Chrome registration.";
inline constexpr std::string_view manifestDescription = "Tavlen browser bridge";

// Set-up and connections.
inline constexpr std::string_view preparing = "Preparing the Chrome connection\u2026";
inline constexpr std::string_view unavailable = "Chrome connection unavailable.";
inline constexpr std::string_view setUpFailed = "Could not prepare the Chrome connection.";
inline constexpr std::string_view restartAfterCorrecting = " Restart Tavlen after correcting the problem.";
inline constexpr std::string_view connected = "Connected to Chrome";
inline constexpr std::string_view selectProfile = "Select a Chrome profile to continue.";
inline constexpr std::string_view waiting = "Waiting for Chrome...";
inline constexpr std::string_view incompatibleConnection =
    "Invalid or incompatible Chrome connection. Update both components.";
inline constexpr std::string_view duplicateIdentity =
    "Duplicate Chrome profile identity. Close the duplicate browser, then restart Tavlen.";
inline constexpr std::string_view conflictedIdentity = "Close the duplicate Chrome profile, then restart Tavlen.";
inline constexpr std::string_view connectionTimedOut = "Chrome connection timed out.";
inline constexpr std::string_view responseTimedOut = "Browser response timed out. The session was interrupted.";

// Commands and the profile choice.
inline constexpr std::string_view foreignSession = "Chrome returned a result for another session.";
inline constexpr std::string_view incompleteResult = "Chrome returned an incomplete browser result.";
inline constexpr std::string_view sessionChanged = "Chrome changed the owned browser session.";
inline constexpr std::string_view sessionEnded = "Browser session ended.";
inline constexpr std::string_view profileNotSaved = "Could not save the Chrome profile. ";

// Session operations.
inline constexpr std::string_view operationRunning = "Wait for the current browser operation to finish.";
inline constexpr std::string_view noSession = "Start a browser session first.";
inline constexpr std::string_view notIdle = "Select a connected, idle Chrome profile first.";
inline constexpr std::string_view operationFailed = "Browser operation failed.";
inline constexpr std::string_view operationCancelled = "Browser operation cancelled.";
inline constexpr std::string_view sessionStopped = "Browser session stopped.";
inline constexpr std::string_view stopFailed = "Could not stop the browser session.";
inline constexpr std::string_view cleanupTimedOut = "Browser cleanup timed out.";

} // namespace browser_text

// The session states of the extension's status that the client acts on.
namespace browser_state {
inline constexpr std::string_view idle = "idle";
inline constexpr std::string_view active = "active";
inline constexpr std::string_view stopping = "stopping";
inline constexpr std::string_view cleanupFailed = "cleanup_failed";
} // namespace browser_state

} // namespace tavlen
