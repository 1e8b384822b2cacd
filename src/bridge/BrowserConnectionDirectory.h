#pragma once

#include <sys/un.h>

#include <filesystem>
#include <string_view>

namespace tavlen {

// The bundle identifier that Tavlen and TavlenBrowserHost both use when none can be read from Info.json.
inline constexpr std::string_view fallbackBundleIdentifier = "org.tavlen.Tavlen";

// Names of the files inside the rendezvous directory.
inline constexpr std::string_view ownerLockFileName = "owner.lock";
inline constexpr std::string_view bridgeSocketFileName = "bridge.sock";

// Largest socket path, counted in UTF-8 bytes with its terminating NUL. Kept below Linux's own limit so a
// path that works here also works wherever the other end is built.
inline constexpr std::size_t maxSocketPathBytes = 104;

// The private directory in which Tavlen and the host meet: "/tmp/tavlen-<uid>-<16 hex digits>", the digits being
// the first 8 bytes of the SHA-256 digest of the bundle identifier. The same user and identifier always give the
// same directory.
std::filesystem::path browserConnectionDirectory(std::string_view bundleIdentifier);

// Creates the directory with mode 0700 when it is missing, then checks (without following a symbolic link) that
// it is a directory of this user with permission bits exactly 0700. Never repairs permissions.
// Throws BridgeFailure "Could not create the browser connection directory." or
// "Browser connection directory permissions are unsafe.".
void ensureConnectionDirectory(const std::filesystem::path& directory);

// The Unix-domain address of a socket path. Throws BridgeFailure "Browser connection path is too long." when
// the path's bytes and a NUL exceed maxSocketPathBytes.
sockaddr_un makeSocketAddress(const std::filesystem::path& path);

} // namespace tavlen
