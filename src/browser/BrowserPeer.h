#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tavlen {

class BrowserChannel;

// One accepted connection: a running TavlenBrowserHost, one per Chrome profile with the extension. Identified
// once its hello has given it a profile; only identified peers are listed, pinged and may send anything else.
struct BrowserPeer
{
    std::string id;                           // the connection id: a new upper-case UUID
    std::shared_ptr<BrowserChannel> channel;  // owns the accepted socket
    std::optional<std::string> profileID;     // from hello
    std::string profileName;                  // from hello
    std::string version;                      // from hello
    std::int64_t sequence = 0;                // the last number used by a request or cancel on this connection
    std::chrono::nanoseconds lastReceived{0}; // when the last valid message arrived (client clock)
    std::chrono::nanoseconds lastPing{0};     // when the last ping was sent (client clock)

    bool isIdentified() const { return profileID.has_value(); }
};

} // namespace tavlen
