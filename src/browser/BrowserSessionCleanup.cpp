#include "BrowserSessionCleanup.h"

#include "BrowserClientState.h"
#include "BrowserClientText.h"
#include "BrowserConnections.h"
#include "BrowserSession.h"
#include "MainThread.h"
#include "Sleep.h"

#include <QPointer>

namespace tavlen {

namespace {

using namespace std::chrono_literals;

constexpr auto cleanupWatchdog = 2s;

using Alive = QPointer<BrowserClientState>;

} // namespace

BrowserSessionCleanup::BrowserSessionCleanup(BrowserClientState& state,
                                             BrowserConnections& connections,
                                             BrowserSession& session,
                                             const TimeSource& time)
    : m_state(state)
    , m_connections(connections)
    , m_session(session)
    , m_time(time)
{}

QCoro::Task<bool> BrowserSessionCleanup::finishSession(std::string executionID, std::string connectionID)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (m_cleanupTask && m_requestedCleanupExecutionID == executionID) {
        const auto running = *m_cleanupTask;
        co_return co_await running.result();
    }
    const auto peer = m_connections.selectedPeer();
    if (m_state.executionID() != executionID || !peer || peer->id != connectionID) {
        co_return false;
    }
    m_requestedCleanupExecutionID = executionID;
    m_state.setFinishingSession(true);
    m_cleanupTask.emplace(m_state, [this, connectionID](std::stop_token) { return performCleanup(connectionID); });
    const auto running = *m_cleanupTask;
    const Alive alive(&m_state);
    bool finished = false;
    try {
        finished = co_await running.result();
    } catch (...) {
        finished = false;
    }
    if (alive) {
        m_cleanupTask.reset();
        m_requestedCleanupExecutionID.reset();
        m_state.setFinishingSession(false);
    }
    co_return finished;
}

QCoro::Task<bool> BrowserSessionCleanup::performCleanup(std::string connectionID)
{
    const Alive alive(&m_state);
    const TaskHandle<void> watchdog(m_state, [this, alive, connectionID](std::stop_token stop) -> QCoro::Task<void> {
        auto waiting = sleepFor(cleanupWatchdog, stop, m_time);
        co_await std::move(waiting);
        if (alive) {
            m_connections.dropPeer(connectionID, browser_text::cleanupTimedOut);
        }
    });
    auto stopping = m_session.stopSession();
    co_await std::move(stopping);
    watchdog.cancel();
    if (!alive) {
        co_return false;
    }
    const auto peer = m_connections.selectedPeer();
    co_return peer && peer->id == connectionID&& m_state.status().state == browser_state::idle &&
        !m_state.executionID();
}

} // namespace tavlen
