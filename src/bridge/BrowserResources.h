#pragma once

#include <string>
#include <string_view>

namespace tavlen {

// The bytes of the bridge resource `name` ("config" or "schema"): Resources/<name>.json in the main bundle, else
// in the bundle of the executable that the first command-line argument names (symbolic links resolved).
// Throws BridgeFailure "Browser resources are missing. Reinstall Tavlen." when there is no such file, and
// std::system_error when it exists but cannot be read.
std::string loadBrowserResource(std::string_view name);

// The version Tavlen announces in its welcome: "CFBundleShortVersionString" of the bundle's Info.json when it
// has the form 1.2.3 with an optional "-" or "+" suffix, else "0.1.0".
std::string currentAppVersion();

// The rule of currentAppVersion applied to a version text read elsewhere (nullopt: none was found).
std::string announcedAppVersion(const std::string* versionText);

} // namespace tavlen
