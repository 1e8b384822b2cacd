#include "MainBundle.h"

#include <mutex>
#include <system_error>

namespace tavlen {

namespace {

std::mutex overrideMutex;
std::optional<std::filesystem::path> overrideDirectory;

} // namespace

std::filesystem::path bundleDirectoryOfExecutable(const std::filesystem::path& executable)
{
    std::error_code error;
    std::filesystem::path resolved = std::filesystem::weakly_canonical(std::filesystem::absolute(executable), error);
    if (error) {
        resolved = std::filesystem::absolute(executable, error);
    }
    return resolved.parent_path().parent_path();
}

std::filesystem::path mainBundleDirectory()
{
    {
        std::lock_guard lock(overrideMutex);
        if (overrideDirectory) {
            return *overrideDirectory;
        }
    }
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return {};
    }
    return bundleDirectoryOfExecutable(executable);
}

void overrideMainBundleDirectory(std::optional<std::filesystem::path> directory)
{
    std::lock_guard lock(overrideMutex);
    overrideDirectory = std::move(directory);
}

} // namespace tavlen
