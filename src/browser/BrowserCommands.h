#pragma once

#include "BrowserMessage.h"
#include "BrowserPeer.h"
#include "BrowserRequest.h"
#include "BrowserResponse.h"

#include <QCoroTask>

#include <memory>
#include <optional>
#include <stop_token>
#include <string>

namespace tavlen {

class BrowserClientState;
class BrowserConnections;
class BrowserPendingCommands;
class BrowserProfileRepository;
class TimeSource;

// The browser client's commands: requests to the selected profile's extension, each answered by the response
// with its request id within 35 seconds; Chrome's status folded into the client's; the user's choice of profile
// and the idle test. Main thread only.
class BrowserCommands
{
public:
    BrowserCommands(BrowserClientState& state,
                    BrowserConnections& connections,
                    BrowserPendingCommands& pending,
                    BrowserProfileRepository& profileRepository,
                    const TimeSource& time);

    // Sends the request to the selected profile's peer and returns its answer. Throws BridgeFailure "Chrome
    // disconnected. …" without a selected peer or when the command fails, or the check's failure for a message
    // that cannot be sent (nothing was sent then).
    QCoro::Task<BrowserResponse> sendRequest(BrowserRequest request, std::optional<std::string> executionID);

    // Sends checked bytes to the peer and waits for the response with requestID. Throws BridgeFailure when the
    // command fails (the peer is dropped, the session stopped or ended) before an answer comes.
    QCoro::Task<BrowserResponse> awaitResponse(std::string bytes,
                                               std::string requestID,
                                               std::optional<BrowserCommand> command,
                                               std::shared_ptr<BrowserPeer> peer,
                                               std::optional<std::string> executionID,
                                               std::optional<std::string> sessionID);

    // The response and status messages of an identified peer; a response's snapshot is moved to its command.
    void handle(BrowserPeer& sender, BrowserMessage& message);

    // Folds a status of the selected profile's extension into the client's and reacts to a changed or ended
    // session.
    void applyStatus(const BrowserStatus& status);

    // Saves the choice, tells every connection whether it is the chosen one and asks the chosen one for its
    // status. Does nothing when a profile cannot be selected now or is not listed; never throws.
    QCoro::Task<void> selectProfile(std::string profileID, std::stop_token stop = {});
    bool canSelectProfile() const;

    // A new session may start: connected, the selected profile's status known and "idle", nothing running or
    // pending, and its peer heard from within 30 seconds.
    bool isIdle() const;

private:
    void handleResponse(BrowserPeer& sender, BrowserMessage::Response& message);
    void handleStatus(BrowserPeer& sender, const BrowserMessage::Status& message);
    void requestStatus();

    BrowserClientState& m_state;
    BrowserConnections& m_connections;
    BrowserPendingCommands& m_pending;
    BrowserProfileRepository& m_profileRepository;
    const TimeSource& m_time;
};

} // namespace tavlen
