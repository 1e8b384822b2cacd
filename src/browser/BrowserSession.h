#pragma once

#include "BrowserCaptureSettings.h"
#include "BrowserRequest.h"
#include "BrowserResponse.h"
#include "BrowserSnapshot.h"
#include "TaskHandle.h"

#include <QCoroTask>

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>

namespace tavlen {

class BrowserClientState;
class BrowserCommands;
class BrowserConnections;
class BrowserPendingCommands;

// The browser client's session: at most one browser session in the selected profile's extension, owned by an
// execution, started with a URL, asked for snapshots and finished again, and one operation at a time (a second
// is refused, never queued). Main thread only.
class BrowserSession
{
public:
    BrowserSession(BrowserClientState& state,
                   BrowserConnections& connections,
                   BrowserCommands& commands,
                   BrowserPendingCommands& pending);

    // See StepsBrowser.
    QCoro::Task<void> startSession(std::string executionID,
                                   std::string url,
                                   std::optional<BrowserCaptureSettings> viewport,
                                   std::stop_token stop);
    QCoro::Task<BrowserSnapshot> captureSnapshot(int retries, std::stop_token stop);
    QCoro::Task<bool> finishSession(std::string executionID, std::string connectionID);

    // Fails the owning execution's commands with "Browser session stopped.", then asks Chrome to cancel the
    // session and waits for its answer (bounded by the commands' deadline or the caller's watchdog). Never throws.
    QCoro::Task<void> stopSession();

private:
    QCoro::Task<BrowserResponse> runOperation(BrowserRequest request, std::string executionID, std::stop_token stop);
    QCoro::Task<BrowserResponse> performRequest(BrowserRequest request,
                                                std::string executionID,
                                                std::uint64_t generation,
                                                std::stop_token stop);
    QCoro::Task<void> runSessionCommand(BrowserCommand command, std::stop_token stop);
    QCoro::Task<bool> performCleanup(std::string connectionID);

    BrowserClientState& m_state;
    BrowserConnections& m_connections;
    BrowserCommands& m_commands;
    BrowserPendingCommands& m_pending;
    std::optional<std::string> m_requestedCleanupExecutionID;
    std::optional<TaskHandle<bool>> m_cleanupTask; // the one running cleanup
};

} // namespace tavlen
