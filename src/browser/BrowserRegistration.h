#pragma once

#include "BrowserConfiguration.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tavlen {

// The Chrome native-messaging manifest that lets Chrome start TavlenBrowserHost for the allowed extensions.
// A value; the browser client builds one per Chrome folder, installs each once per process and drops them.
struct BrowserRegistration
{
    std::filesystem::path manifestDirectory; // Chrome's per-user "NativeMessagingHosts" folder
    std::filesystem::path appDirectory;      // the application bundle
    BrowserConfiguration config;             // only hostName and allowedExtensionIDs are used

    // One registration for Google Chrome and one for Chromium: "google-chrome" and "chromium" under the user's
    // configuration folder, each with "NativeMessagingHosts".
    static std::vector<BrowserRegistration> standard(const std::filesystem::path& appDirectory,
                                                     const BrowserConfiguration& config);

    // <appDirectory>/Helpers/TavlenBrowserHost, absolute.
    std::filesystem::path helperPath() const;

    // <manifestDirectory>/<hostName>.json.
    std::filesystem::path manifestPath() const;

    // The manifest: allowed_origins, description, name, path and type, pretty-printed with sorted keys.
    std::string manifestJSON() const;

    // Writes the manifest after checking the helper, the folder and the file; synchronous, file system only.
    // Refuses a symbolic link anywhere from the folder up to (not including) "/", a folder not owned by the user
    // or writable by group or others, and an existing manifest that is not a regular file of the user. The file
    // is replaced atomically and left with mode 0600. Throws BridgeFailure with one of the registration
    // sentences; failures to create the folder or write the file are passed on (std::filesystem_error,
    // std::system_error).
    void install() const;
};

} // namespace tavlen
