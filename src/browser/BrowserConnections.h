#pragma once

#include "BrowserBridgeResources.h"
#include "BrowserMessage.h"
#include "BrowserPeer.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tavlen {

class BrowserClientState;
class BrowserPendingCommands;
class TimeSource;

// The browser client's connections: one peer per accepted socket, identified by its hello, welcomed, kept alive
// with pings and dropped when it misbehaves or falls silent. Keeps the profile list and connection text up to
// date. Frames are checked on each channel's reader thread and handled here, on the main thread, one at a time.
class BrowserConnections
{
public:
    // Receives every response and status message of an identified peer (the command layer).
    // It may move parts (a snapshot) out of the message.
    using MessageHandler = std::function<void(BrowserPeer& sender, BrowserMessage& message)>;

    static constexpr std::size_t maximumPeers = 8;

    // Ages of connections are measured on the boot-time clock of time.
    BrowserConnections(BrowserClientState& state, BrowserPendingCommands& pending, const TimeSource& time);
    // Closes every channel; their close handlers then find the client gone.
    ~BrowserConnections();
    BrowserConnections(const BrowserConnections&) = delete;
    BrowserConnections& operator=(const BrowserConnections&) = delete;

    void setMessageHandler(MessageHandler handler) { m_messageHandler = std::move(handler); }

    // The bridge resources, loaded, once the set-up is ready to listen; connections are refused until then.
    void setResources(BrowserBridgeResources resources) { m_resources = std::move(resources); }

    std::size_t count() const { return m_peers.size(); }

    // The identified peer of the selected profile, or nullptr.
    std::shared_ptr<BrowserPeer> selectedPeer() const;
    std::vector<std::shared_ptr<BrowserPeer>> identifiedPeers() const;

    // Takes an accepted socket: registers a peer and starts its channel, or closes the descriptor when the
    // configuration is missing, eight peers are connected or the client is stopping.
    void accept(int fd);

    // The bytes of a message to a peer, checked by the client's validator. Throws what encoding or checking
    // throws, BridgeFailure when no resources were set.
    std::string encode(const BrowserMessage& message) const;

    // Sends a checked message; a message that fails the check or that the channel refuses drops the peer.
    bool sendMessage(const BrowserMessage& message, BrowserPeer& peer);

    // Removes the peer, closes its channel, fails its commands and, for the selected profile's peer, resets the
    // session. A message becomes the connection error. Nothing happens when the peer is already gone.
    void dropPeer(const std::string& peerID, std::optional<std::string_view> message = std::nullopt);
    void dropAll();

    // Rebuilds the profile list, sorted by name, and the connection text.
    void refreshProfiles();

    // Once a second: drops peers silent for 5 s before hello or 30 s after it, pings identified peers every 10 s,
    // and drops the peer of any command past its deadline.
    void tick();

    // Handles a checked message from the peer (main thread); the handler may move parts out of it.
    void handle(BrowserMessage& message, const std::string& peerID);

private:
    void handleHello(BrowserPeer& peer, const BrowserMessage::Hello& hello);
    void startChannel(const std::shared_ptr<BrowserPeer>& peer);

    BrowserClientState& m_state;
    BrowserPendingCommands& m_pending;
    const TimeSource& m_time;
    MessageHandler m_messageHandler;
    std::optional<BrowserBridgeResources> m_resources;
    std::map<std::string, std::shared_ptr<BrowserPeer>> m_peers;
    std::set<std::string> m_conflictedProfileIDs; // identities seen on two connections; refused until restart
};

} // namespace tavlen
