#include "BrowserConnections.h"

#include "BridgeFailure.h"
#include "BrowserChannel.h"
#include "BrowserClientState.h"
#include "BrowserClientText.h"
#include "BrowserLog.h"
#include "BrowserPendingCommands.h"
#include "BrowserResources.h"
#include "BrowserWireGate.h"
#include "BrowserWireReader.h"
#include "CancelledError.h"
#include "FileDescriptor.h"
#include "MainThread.h"
#include "TimeSource.h"
#include "Utf8.h"
#include "Uuid.h"

#include <QPointer>

#include <unistd.h>

#include <algorithm>

namespace tavlen {

namespace {

using namespace std::chrono_literals;

constexpr auto silenceBeforeHello = 5s;
constexpr auto silenceAfterHello = 30s;
constexpr auto pingInterval = 10s;

std::size_t limit(std::int64_t bytes)
{
    return static_cast<std::size_t>(std::max<std::int64_t>(bytes, 0));
}

} // namespace

BrowserConnections::BrowserConnections(BrowserClientState& state,
                                       BrowserPendingCommands& pending,
                                       const TimeSource& time)
    : m_state(state)
    , m_pending(pending)
    , m_time(time)
{}

BrowserConnections::~BrowserConnections()
{
    for (const auto& [id, peer] : m_peers) {
        peer->channel->close();
    }
}

std::shared_ptr<BrowserPeer> BrowserConnections::selectedPeer() const
{
    const auto& selected = m_state.selectedProfileID();
    if (!selected) {
        return nullptr;
    }
    for (const auto& [id, peer] : m_peers) {
        if (peer->profileID == selected) {
            return peer;
        }
    }
    return nullptr;
}

std::vector<std::shared_ptr<BrowserPeer>> BrowserConnections::identifiedPeers() const
{
    std::vector<std::shared_ptr<BrowserPeer>> identified;
    for (const auto& [id, peer] : m_peers) {
        if (peer->isIdentified()) {
            identified.push_back(peer);
        }
    }
    return identified;
}

void BrowserConnections::accept(int fd)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    FileDescriptor connection(fd);
    if (!m_resources || m_peers.size() >= maximumPeers || m_state.stopping) {
        return;
    }
    const auto& limits = m_resources->configuration().limits;
    auto peer = std::make_shared<BrowserPeer>();
    peer->id = Uuid::random().uppercaseString();
    // The channel writes with MSG_NOSIGNAL, so a closed peer cannot raise SIGPIPE.
    peer->channel = BrowserChannel::make(connection.get(),
                                         connection.get(),
                                         true,
                                         limit(limits.resultBytes),
                                         limit(limits.requestBytes),
                                         limit(limits.queueBytes));
    connection.release(); // the channel owns it now
    peer->lastReceived = peer->lastPing = m_time.now(TimeSource::Clock::bootTime);
    m_peers.emplace(peer->id, peer);
    startChannel(peer);
}

void BrowserConnections::startChannel(const std::shared_ptr<BrowserPeer>& peer)
{
    // Both handlers may outlive the client: they reach it only on the main thread, and only while it exists.
    const QPointer<BrowserClientState> alive(&m_state);
    // The connection's reader: used on the channel's reader thread only, frame after frame.
    auto reader = std::make_shared<BrowserWireReader>();
    auto onMessage = [this, alive, id = peer->id, reader, validator = m_resources->validator()](BrowserFrame frame) {
        // Checked here, on the channel's reader thread; handled on the main thread before the next frame is read.
        std::shared_ptr<BrowserMessage> message;
        try {
            message = std::make_shared<BrowserMessage>(decodeFrameFromChrome(validator, *reader, frame));
        } catch (const std::exception& error) {
            qCDebug(browserLog) << "refused a frame from Chrome:" << error.what();
        }
        try {
            postToMainAndWait([this, alive, id, message] {
                if (!alive) {
                    return;
                }
                if (message) {
                    handle(*message, id);
                } else {
                    dropPeer(id, browser_text::incompatibleConnection);
                }
            });
        } catch (const CancelledError&) {
            // The application is shutting down.
        }
    };
    auto onClose = [this, alive, id = peer->id] {
        postToMain([this, alive, id] {
            if (alive) {
                dropPeer(id);
            }
        });
    };
    peer->channel->start(std::move(onMessage), std::move(onClose));
}

std::string BrowserConnections::encode(const BrowserMessage& message) const
{
    if (!m_resources) {
        throw BridgeFailure(bridge_text::resourcesMissing);
    }
    return encodeFrameForChrome(m_resources->validator(), message);
}

bool BrowserConnections::sendMessage(const BrowserMessage& message, BrowserPeer& peer)
{
    std::string bytes;
    try {
        bytes = encode(message);
    } catch (const std::exception& error) {
        qCWarning(browserLog) << "a message to Chrome failed its check:" << error.what();
        dropPeer(peer.id);
        return false;
    }
    if (!peer.channel->send(std::move(bytes))) {
        dropPeer(peer.id);
        return false;
    }
    return true;
}

void BrowserConnections::dropPeer(const std::string& peerID, std::optional<std::string_view> message)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    const auto found = m_peers.find(peerID);
    if (found == m_peers.end()) {
        return;
    }
    const auto peer = found->second;
    m_peers.erase(found);
    peer->channel->close();
    m_pending.fail(peerID, std::nullopt, bridge_text::chromeDisconnected);
    if (m_state.isSelected(peer->profileID)) {
        ++m_state.generation;
        m_state.cancelled = true;
        m_state.capture.reset();
        m_state.setExecutionID(std::nullopt);
        m_state.setWorking(false);
        m_state.setStatus(m_state.initialStatus());
        m_state.setHasSelectedStatus(false);
    }
    if (message) {
        m_state.setConnectionError(std::string(*message));
    }
    refreshProfiles();
}

void BrowserConnections::dropAll()
{
    std::vector<std::string> ids;
    for (const auto& [id, peer] : m_peers) {
        ids.push_back(id);
    }
    for (const auto& id : ids) {
        dropPeer(id);
    }
}

void BrowserConnections::refreshProfiles()
{
    std::vector<BrowserProfile> profiles;
    for (const auto& peer : identifiedPeers()) {
        profiles.push_back(
            {*peer->profileID, peer->profileName, m_state.isSelected(peer->profileID), peer->version, peer->id});
    }
    std::stable_sort(profiles.begin(), profiles.end(), [](const BrowserProfile& a, const BrowserProfile& b) {
        return textCompare(a.profileName, b.profileName) < 0;
    });
    m_state.setProfiles(profiles);
    if (m_state.isConnected()) {
        m_state.setConnectionState(std::string(browser_text::connected));
    } else if (!profiles.empty()) {
        m_state.setConnectionState(std::string(browser_text::selectProfile));
    } else {
        m_state.setConnectionState(std::string(browser_text::waiting));
    }
}

void BrowserConnections::tick()
{
    // Ages and deadlines (here, in the hello and ping rules and in command deadlines) run on the boot-time
    // clock rather than the wall clock on purpose: a wall-clock jump (a manual change, an NTP step) then never
    // drops a live peer or expires a command early, while time asleep still counts, as wall time would.
    const auto now = m_time.now(TimeSource::Clock::bootTime);
    const auto peers = m_peers;
    for (const auto& [id, peer] : peers) {
        const auto silence = now - peer->lastReceived;
        if (!peer->isIdentified()) {
            if (silence >= silenceBeforeHello) {
                dropPeer(id, browser_text::connectionTimedOut);
            }
        } else if (silence >= silenceAfterHello) {
            dropPeer(id, browser_text::connectionTimedOut);
        } else if (now - peer->lastPing >= pingInterval) {
            peer->lastPing = now;
            sendMessage(BrowserMessage{BrowserMessage::Ping{id}}, *peer);
        }
    }
    for (const auto& peerID : m_pending.peersPastDeadline(now)) {
        dropPeer(peerID, browser_text::responseTimedOut);
    }
}

void BrowserConnections::handle(BrowserMessage& message, const std::string& peerID)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    const auto found = m_peers.find(peerID);
    if (found == m_peers.end()) {
        return;
    }
    const auto peer = found->second;
    peer->lastReceived = m_time.now(TimeSource::Clock::bootTime);
    using Kind = BrowserMessage::Kind;
    if (message.kind() == Kind::hello) {
        handleHello(*peer, std::get<BrowserMessage::Hello>(message.payload));
        return;
    }
    // Everything but hello comes from an identified peer and names its own connection.
    if (!peer->isIdentified() || message.connectionID() != peer->id) {
        dropPeer(peerID);
        return;
    }
    switch (message.kind()) {
    case Kind::ping:
        sendMessage(BrowserMessage{BrowserMessage::Pong{peer->id}}, *peer);
        break;
    case Kind::pong:
        break;
    case Kind::response:
    case Kind::status:
        if (m_messageHandler) {
            m_messageHandler(*peer, message);
        }
        break;
    default: // kinds that only travel towards Chrome
        dropPeer(peerID);
        break;
    }
}

void BrowserConnections::handleHello(BrowserPeer& peer, const BrowserMessage::Hello& hello)
{
    const std::string peerID = peer.id;
    if (peer.isIdentified()) {
        dropPeer(peerID);
        return;
    }
    if (m_conflictedProfileIDs.contains(hello.profileID)) {
        dropPeer(peerID, browser_text::conflictedIdentity);
        return;
    }
    std::vector<std::string> duplicates;
    for (const auto& [id, other] : m_peers) {
        if (id != peerID && other->profileID == hello.profileID) {
            duplicates.push_back(id);
        }
    }
    if (!duplicates.empty()) {
        m_conflictedProfileIDs.insert(hello.profileID);
        duplicates.push_back(peerID);
        for (const auto& id : duplicates) {
            dropPeer(id, browser_text::duplicateIdentity);
        }
        return;
    }
    peer.profileID = hello.profileID;
    peer.profileName = hello.profileName;
    peer.version = hello.version;
    const bool selected = m_state.isSelected(peer.profileID);
    sendMessage(BrowserMessage{BrowserMessage::Welcome{peerID, currentAppVersion(), selected}}, peer);
    refreshProfiles();
    if (selected && m_peers.contains(peerID)) {
        m_state.setConnectionError(std::nullopt);
    }
}

} // namespace tavlen
