#pragma once

#include "TaskHandle.h"

#include <QCoroTask>

#include <optional>
#include <string>

namespace tavlen {

class BrowserClientState;
class BrowserConnections;
class BrowserSession;
class TimeSource;

// Finishing an execution's browser session: one cleanup at a time per execution (a second request joins the
// running one), bounded by a two-second watchdog that drops the connection when Chrome does not confirm the
// cancel. Main thread only.
class BrowserSessionCleanup
{
public:
    BrowserSessionCleanup(BrowserClientState& state,
                          BrowserConnections& connections,
                          BrowserSession& session,
                          const TimeSource& time);

    // See StepsBrowser::finishSession.
    QCoro::Task<bool> finishSession(std::string executionID, std::string connectionID);

private:
    QCoro::Task<bool> performCleanup(std::string connectionID);

    BrowserClientState& m_state;
    BrowserConnections& m_connections;
    BrowserSession& m_session;
    const TimeSource& m_time;
    std::optional<std::string> m_requestedCleanupExecutionID;
    std::optional<TaskHandle<bool>> m_cleanupTask; // the one running cleanup
};

} // namespace tavlen
