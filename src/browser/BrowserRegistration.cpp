#include "BrowserRegistration.h"

#include "BridgeFailure.h"
#include "BrowserClientText.h"
#include "FileDescriptor.h"
#include "JsonWriter.h"
#include "UserDirectories.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace tavlen {

namespace fs = std::filesystem;

namespace {

constexpr const char* helperName = "TavlenBrowserHost";

[[noreturn]] void throwErrno(const std::string& what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

// The path without "." and ".." steps and without a trailing separator, so walking up visits each folder once.
fs::path withoutTrailingSeparator(const fs::path& path)
{
    fs::path normal = path.lexically_normal();
    if (!normal.has_filename() && normal.has_parent_path() && normal != normal.root_path()) {
        normal = normal.parent_path();
    }
    return normal;
}

bool isExecutableFile(const fs::path& path)
{
    struct stat info
    {};

    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// Chrome resolves the folder itself; a link on the way could send the manifest somewhere the user does not see.
void refuseSymbolicLinks(const fs::path& directory)
{
    for (fs::path path = withoutTrailingSeparator(directory); !path.empty() && path != path.root_path();
         path = path.parent_path()) {
        struct stat info
        {};

        if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
            throw BridgeFailure(browser_text::registrationSymlink);
        }
    }
}

void checkDirectory(const fs::path& directory)
{
    struct stat info
    {};

    if (::lstat(directory.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid() ||
        (info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        throw BridgeFailure(browser_text::registrationDirectoryUnsafe);
    }
}

void checkExistingFile(const fs::path& file)
{
    struct stat info
    {};

    if (::lstat(file.c_str(), &info) != 0) {
        if (errno == ENOENT) {
            return;
        }
        throw BridgeFailure(browser_text::registrationFileUnsafe);
    }
    if (!S_ISREG(info.st_mode) || info.st_uid != ::getuid()) {
        throw BridgeFailure(browser_text::registrationFileUnsafe);
    }
}

// Writes a temporary file beside the target and renames it over the target, so Chrome never reads half a file.
void writeAtomically(const fs::path& file, const std::string& bytes)
{
    std::string temporary = file.string() + ".XXXXXX";
    FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!fd.isOpen()) {
        throwErrno("cannot create a file beside " + file.string());
    }
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd.get(), bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            const int error = errno;
            fd.reset();
            ::unlink(temporary.c_str());
            throw std::system_error(error, std::generic_category(), "cannot write " + temporary);
        }
        written += static_cast<std::size_t>(n);
    }
    // Closed by hand here: a failing close can mean the bytes never reached the disk.
    if (::fsync(fd.get()) != 0 || ::close(fd.release()) != 0 || ::rename(temporary.c_str(), file.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        throw std::system_error(error, std::generic_category(), "cannot write " + file.string());
    }
}

} // namespace

std::vector<BrowserRegistration> BrowserRegistration::standard(const fs::path& appDirectory,
                                                               const BrowserConfiguration& config)
{
    const fs::path configHome = userConfigDirectory();
    std::vector<BrowserRegistration> registrations;
    for (const char* browser : {"google-chrome", "chromium"}) {
        registrations.push_back({configHome / browser / "NativeMessagingHosts", appDirectory, config});
    }
    return registrations;
}

fs::path BrowserRegistration::helperPath() const
{
    return withoutTrailingSeparator(fs::absolute(appDirectory / "Helpers" / helperName));
}

fs::path BrowserRegistration::manifestPath() const
{
    return manifestDirectory / (config.hostName + ".json");
}

std::string BrowserRegistration::manifestJSON() const
{
    nlohmann::json origins = nlohmann::json::array();
    for (const auto& id : config.allowedExtensionIDs) {
        origins.push_back("chrome-extension://" + id + "/");
    }
    const nlohmann::json manifest = {
        {"allowed_origins", origins},
        {"description", browser_text::manifestDescription},
        {"name", config.hostName},
        {"path", helperPath().string()},
        {"type", "stdio"},
    };
    return writeJson(manifest, {.escapeSlashes = true, .pretty = true});
}

void BrowserRegistration::install() const
{
    if (!isExecutableFile(helperPath())) {
        throw BridgeFailure(browser_text::helperMissing);
    }
    refuseSymbolicLinks(manifestDirectory);
    fs::create_directories(manifestDirectory);
    checkDirectory(manifestDirectory);
    const fs::path file = manifestPath();
    checkExistingFile(file);
    writeAtomically(file, manifestJSON());
    if (::chmod(file.c_str(), 0600) != 0) {
        throw BridgeFailure(browser_text::registrationNotSecured);
    }
}

} // namespace tavlen
