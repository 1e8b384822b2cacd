#include "BrowserConnectionDirectory.h"

#include "BridgeFailure.h"
#include "Sha256.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace tavlen {

std::filesystem::path browserConnectionDirectory(std::string_view bundleIdentifier)
{
    static constexpr char digits[] = "0123456789abcdef";
    const auto digest = sha256(bundleIdentifier);
    std::string hex;
    for (std::size_t i = 0; i < 8; ++i) {
        hex += digits[digest[i] >> 4];
        hex += digits[digest[i] & 0x0f];
    }
    return std::filesystem::path("/tmp") / ("tavlen-" + std::to_string(getuid()) + "-" + hex);
}

void ensureConnectionDirectory(const std::filesystem::path& directory)
{
    if (::mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST) {
        throw BridgeFailure(bridge_text::directoryNotCreated);
    }

    // lstat: a symbolic link in the directory's place is refused, never followed.
    struct stat info
    {};

    if (::lstat(directory.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid() ||
        (info.st_mode & 07777) != 0700) {
        throw BridgeFailure(bridge_text::directoryUnsafe);
    }
}

sockaddr_un makeSocketAddress(const std::filesystem::path& path)
{
    sockaddr_un address;
    std::memset(&address, 0, sizeof address);
    const std::string& bytes = path.native();
    static_assert(maxSocketPathBytes <= sizeof address.sun_path);
    if (bytes.size() + 1 > maxSocketPathBytes) {
        throw BridgeFailure(bridge_text::pathTooLong);
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, bytes.data(), bytes.size());
    return address;
}

} // namespace tavlen
