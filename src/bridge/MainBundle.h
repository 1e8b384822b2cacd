#pragma once

#include <filesystem>
#include <optional>

namespace tavlen {

// The application bundle is a directory: bin/tavlen, Helpers/TavlenBrowserHost, Resources/, Info.json.
// Both programs find it as the parent of the directory that holds their executable.

// The bundle of an executable: symbolic links resolved, then the last two path components removed.
std::filesystem::path bundleDirectoryOfExecutable(const std::filesystem::path& executable);

// The bundle of the running program (through /proc/self/exe, which the kernel gives with links resolved),
// unless a directory was set with overrideMainBundleDirectory. Empty when neither is known.
std::filesystem::path mainBundleDirectory();

// Points the lookup at another bundle (tests use the built one); nullopt restores the executable's bundle.
void overrideMainBundleDirectory(std::optional<std::filesystem::path> directory);

} // namespace tavlen
