#pragma once

#include "BrowserChannel.h"
#include "BrowserConfiguration.h"
#include "BrowserWireReader.h"
#include "BrowserWireValidator.h"

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>

namespace tavlen {

// TavlenBrowserHost: started by Chrome for the extension with the caller's origin as first argument. Checks the
// origin, connects to Tavlen's socket and relays validated frames both ways, byte for byte, until either side
// ends. Exit status 1 for a bad configuration, origin or frame; 0 when Tavlen is unreachable (after telling
// Chrome) or when either side closes. Never returns otherwise.
[[noreturn]] void hostMain(int argc, char** argv);

// The bundle identifier of the bundle that holds the executable named by argv0 (symbolic links resolved):
// "CFBundleIdentifier" of its Info.json, or fallbackBundleIdentifier when that cannot be read.
std::string hostBundleIdentifier(const char* argv0);

// Connects to "bridge.sock" in the rendezvous directory, which is created when missing and must be safe. The
// socket file must be a socket of this user with mode 0600, and the listening peer must be this user.
// Throws BridgeFailure: the directory's failures, "Browser connection path is too long.", or "Chrome
// disconnected. Start a new session after reconnecting." for everything else.
int connectToAppSocket(const std::filesystem::path& directory);

// The two channels of a running host and the relay between them. Any exit from a relay ends the process.
// Each frame is checked where it was read (one reader, with its parser, per direction) and the same bytes, in
// the same buffer, are handed to the other channel to write.
class BrowserHostRelay
{
public:
    BrowserHostRelay(const BrowserConfiguration& configuration, BrowserWireValidator validator, int socketFD);

    // Starts the Chrome channel, then the socket channel.
    void start();

private:
    void relayChromeToApp(BrowserFrame frame);
    void relayAppToChrome(BrowserFrame frame);
    void onChromeClosed();
    void onSocketClosed();

    const BrowserWireValidator m_validator;
    BrowserWireReader m_fromChrome; // used on the Chrome channel's reader thread only
    BrowserWireReader m_fromApp;    // used on the socket channel's reader thread only
    const std::int64_t m_protocolVersion;
    std::shared_ptr<BrowserChannel> m_chrome;
    std::shared_ptr<BrowserChannel> m_socket;
    // Set once the host has decided to end: frames read afterwards are not relayed.
    std::atomic<bool> m_ending = false;
};

} // namespace tavlen
