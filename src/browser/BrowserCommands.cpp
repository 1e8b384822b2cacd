#include "BrowserCommands.h"

#include "BridgeFailure.h"
#include "BrowserChannel.h"
#include "BrowserClientState.h"
#include "BrowserClientText.h"
#include "BrowserConnections.h"
#include "BrowserPendingCommands.h"
#include "BrowserProfileRepository.h"
#include "MainThread.h"
#include "MonitorStoreError.h"
#include "TimeSource.h"
#include "Uuid.h"

#include <QPointer>

namespace tavlen {

namespace {

using namespace std::chrono_literals;

constexpr auto commandDeadline = 35s;
constexpr auto silenceAfterHello = 30s;

bool endsSession(const BrowserStatus& status)
{
    return status.state == browser_state::stopping || status.state == browser_state::cleanupFailed ||
           (status.lastError && status.lastError->code == bridge_code::stopped);
}

// Asks the selected profile's extension for its status; the answer is applied on arrival. Holds the client
// weakly: it touches it again only while it exists.
QCoro::Task<void>
runStatusRequest(BrowserCommands* commands, BrowserClientState* state, QPointer<BrowserClientState> alive)
{
    BrowserRequest request{
        Uuid::random().uppercaseString(), BrowserCommand::status, std::nullopt, std::nullopt, std::nullopt};
    try {
        auto answer = commands->sendRequest(std::move(request), std::nullopt);
        co_await std::move(answer);
    } catch (...) {
        // The status of every answer is applied as it arrives; a failure leaves the status unknown.
    }
    if (alive) {
        state->setCheckingStatus(false);
    }
}

} // namespace

BrowserCommands::BrowserCommands(BrowserClientState& state,
                                 BrowserConnections& connections,
                                 BrowserPendingCommands& pending,
                                 BrowserProfileRepository& profileRepository,
                                 const TimeSource& time)
    : m_state(state)
    , m_connections(connections)
    , m_pending(pending)
    , m_profileRepository(profileRepository)
    , m_time(time)
{}

QCoro::Task<BrowserResponse> BrowserCommands::sendRequest(BrowserRequest request,
                                                          std::optional<std::string> executionID)
{
    const auto peer = m_connections.selectedPeer();
    if (!peer) {
        throw BridgeFailure(bridge_text::chromeDisconnected);
    }
    const std::int64_t sequence = peer->sequence + 1;
    std::string bytes =
        m_connections.encode(BrowserMessage{BrowserMessage::Request{peer->id, executionID, sequence, request}});
    peer->sequence = sequence;
    auto answer = awaitResponse(
        std::move(bytes), request.requestID, request.command, peer, std::move(executionID), request.sessionID);
    co_return co_await std::move(answer);
}

QCoro::Task<BrowserResponse> BrowserCommands::awaitResponse(std::string bytes,
                                                            std::string requestID,
                                                            std::optional<BrowserCommand> command,
                                                            std::shared_ptr<BrowserPeer> peer,
                                                            std::optional<std::string> executionID,
                                                            std::optional<std::string> sessionID)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    Completion<BrowserResponse> completion;
    // Only the pending entry owns the completion: should the client go away, the waiter hears CancelledError.
    auto answer = completion.wait();
    m_pending.add(requestID,
                  {peer->id,
                   std::move(executionID),
                   std::move(sessionID),
                   command,
                   m_time.now(TimeSource::Clock::bootTime) + commandDeadline,
                   std::move(completion)});
    if (!peer->channel->send(std::move(bytes))) {
        m_connections.dropPeer(peer->id);                                        // fails this very command
        m_pending.fail(peer->id, std::nullopt, bridge_text::chromeDisconnected); // even if it was gone already
    }
    co_return co_await std::move(answer);
}

void BrowserCommands::handle(BrowserPeer& sender, BrowserMessage& message)
{
    if (auto* response = std::get_if<BrowserMessage::Response>(&message.payload)) {
        handleResponse(sender, *response);
    } else if (const auto* status = std::get_if<BrowserMessage::Status>(&message.payload)) {
        handleStatus(sender, *status);
    }
}

void BrowserCommands::handleResponse(BrowserPeer& sender, BrowserMessage::Response& message)
{
    BrowserResponse& response = message.response;
    if (!response.requestID) {
        return;
    }
    const BrowserPendingCommand* entry = m_pending.find(*response.requestID);
    // A late answer, one from another connection or for another execution leaves the command waiting.
    if (!entry || entry->peerID != sender.id || entry->executionID != message.executionID) {
        return;
    }
    if (entry->sessionID && response.status.sessionID && *entry->sessionID != *response.status.sessionID) {
        m_connections.dropPeer(sender.id, browser_text::foreignSession);
        return;
    }
    if (response.ok && (entry->command == BrowserCommand::start || entry->command == BrowserCommand::capturePage)) {
        const bool complete = response.status.state == browser_state::active && response.status.sessionID &&
                              response.snapshot.has_value() == (entry->command == BrowserCommand::capturePage);
        if (!complete) {
            m_connections.dropPeer(sender.id, browser_text::incompleteResult);
            return;
        }
    }
    auto taken = m_pending.take(*response.requestID);
    if (m_state.isSelected(sender.profileID)) {
        applyStatus(response.status);
    }
    taken->completion.resume(std::move(response));
}

void BrowserCommands::handleStatus(BrowserPeer& sender, const BrowserMessage::Status& message)
{
    if (m_state.isSelected(sender.profileID) && message.executionID == m_state.executionID()) {
        applyStatus(message.status);
    }
}

void BrowserCommands::applyStatus(const BrowserStatus& status)
{
    const auto currentSession = m_state.status().sessionID;
    if (m_state.executionID() && status.state == browser_state::active && currentSession && status.sessionID &&
        *currentSession != *status.sessionID) {
        if (const auto peer = m_connections.selectedPeer()) {
            m_connections.dropPeer(peer->id, browser_text::sessionChanged);
            return;
        }
    }
    m_state.setHasSelectedStatus(true);
    if (status.sessionID != currentSession || status.state != browser_state::active) {
        m_state.capture.reset();
    }
    m_state.setStatus(status);
    if (status.state == browser_state::cleanupFailed) {
        m_state.setOperationError(status.lastError ? std::optional(status.lastError->message) : std::nullopt);
    }
    // While a start still waits for its answer, an "idle" from before it does not release the owner.
    if (status.state == browser_state::idle && !m_pending.hasStart()) {
        m_state.setExecutionID(std::nullopt);
    }
    if (endsSession(status)) {
        m_state.capture.reset();
        const auto peer = m_connections.selectedPeer();
        const auto executionID = m_state.executionID();
        if (peer && executionID && !m_state.cancelled) {
            m_state.cancelled = true;
            ++m_state.generation;
            m_state.setWorking(false);
            m_pending.fail(peer->id,
                           executionID,
                           status.lastError ? std::string_view(status.lastError->message) : browser_text::sessionEnded);
        }
    }
}

QCoro::Task<void> BrowserCommands::selectProfile(std::string profileID, std::stop_token stop)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (!canSelectProfile()) {
        co_return;
    }
    const auto& profiles = m_state.profiles();
    if (std::none_of(profiles.begin(), profiles.end(), [&](const auto& profile) { return profile.id == profileID; })) {
        co_return;
    }
    m_state.setSelectingProfile(true);
    m_state.setSelectionError(std::nullopt);
    const QPointer<BrowserClientState> alive(&m_state);
    std::optional<std::string> failure;
    try {
        auto saving = m_profileRepository.setSelectedProfileID(profileID);
        co_await std::move(saving);
    } catch (...) {
        failure = MonitorStoreError::from(std::current_exception()).errorDescription();
    }
    if (!alive) {
        co_return;
    }
    const bool abandoned = stop.stop_requested() || m_state.stopping;
    if (failure || abandoned) {
        if (failure && !abandoned) {
            m_state.setSelectionError(std::string(browser_text::profileNotSaved) + *failure);
        }
        m_state.setSelectingProfile(false);
        co_return;
    }
    m_state.setSelectedProfileID(profileID);
    m_state.setStatus(m_state.initialStatus());
    m_state.capture.reset();
    m_state.setConnectionError(std::nullopt);
    m_state.setOperationError(std::nullopt);
    m_state.setHasSelectedStatus(false);
    for (const auto& peer : m_connections.identifiedPeers()) {
        m_connections.sendMessage(BrowserMessage{BrowserMessage::Selection{peer->id, peer->profileID == profileID}},
                                  *peer);
    }
    m_connections.refreshProfiles();
    m_state.setCheckingStatus(true);
    requestStatus();
    m_state.setSelectingProfile(false);
}

void BrowserCommands::requestStatus()
{
    runStatusRequest(this, &m_state, QPointer<BrowserClientState>(&m_state));
}

bool BrowserCommands::canSelectProfile() const
{
    const auto& state = m_state.status().state;
    return !m_state.stopping && !m_state.isSettingUp() && !m_state.isSelectingProfile() && !m_state.checkingStatus() &&
           !m_state.isFinishingSession() && !m_state.executionID() && m_pending.isEmpty() &&
           state != browser_state::active && state != browser_state::stopping && state != browser_state::cleanupFailed;
}

bool BrowserCommands::isIdle() const
{
    if (m_state.stopping || m_state.isSelectingProfile() || !m_state.isConnected() || !m_state.hasSelectedStatus() ||
        m_state.working() || m_state.checkingStatus() || m_state.isFinishingSession() || !m_pending.isEmpty() ||
        m_state.executionID() || m_state.status().state != browser_state::idle) {
        return false;
    }
    const auto peer = m_connections.selectedPeer();
    return peer && m_time.now(TimeSource::Clock::bootTime) - peer->lastReceived < silenceAfterHello;
}

} // namespace tavlen
