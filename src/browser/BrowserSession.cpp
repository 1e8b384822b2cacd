#include "BrowserSession.h"

#include "BridgeFailure.h"
#include "BrowserClientState.h"
#include "BrowserClientText.h"
#include "BrowserCommands.h"
#include "BrowserConnections.h"
#include "BrowserPendingCommands.h"
#include "CancelledError.h"
#include "MainThread.h"
#include "Sleep.h"
#include "Uuid.h"

#include <QPointer>

#include <algorithm>
#include <exception>

namespace tavlen {

namespace {

using namespace std::chrono_literals;

constexpr auto staleRetryPause = 200ms;
constexpr int maximumRetries = 2;

using Alive = QPointer<BrowserClientState>;

std::string newRequestID()
{
    return Uuid::random().uppercaseString();
}

bool hasCode(const std::exception_ptr& error, std::string_view code)
{
    try {
        std::rethrow_exception(error);
    } catch (const BridgeFailure& failure) {
        return failure.code() == code;
    } catch (...) {
        return false;
    }
}

// The session stop that a cancelled operation starts; it holds the client weakly.
QCoro::Task<void>
stopAfterCancellation(BrowserSession* session, BrowserClientState* state, Alive alive, std::string executionID)
{
    if (alive && state->executionID() == executionID) {
        auto stopping = session->stopSession();
        co_await std::move(stopping);
    }
}

} // namespace

BrowserSession::BrowserSession(BrowserClientState& state,
                               BrowserConnections& connections,
                               BrowserCommands& commands,
                               BrowserPendingCommands& pending,
                               const TimeSource& time)
    : m_state(state)
    , m_connections(connections)
    , m_commands(commands)
    , m_pending(pending)
    , m_time(time)
{}

QCoro::Task<BrowserResponse>
BrowserSession::runOperation(BrowserRequest request, std::string executionID, std::stop_token stop)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (m_state.working()) {
        throw BridgeFailure(browser_text::operationRunning);
    }
    m_state.setWorking(true);
    m_state.setOperationError(std::nullopt);
    const std::uint64_t generation = m_state.generation;
    m_state.capture.reset();
    const Alive alive(&m_state);
    // May run on any thread: it only hands the stop to the main thread.
    const std::stop_callback onCancel(stop, [this, alive, executionID] {
        postToMain([this, alive, executionID] { stopAfterCancellation(this, &m_state, alive, executionID); });
    });
    std::exception_ptr failure;
    BrowserResponse response;
    try {
        auto performing = performRequest(std::move(request), executionID, generation, stop);
        response = co_await std::move(performing);
    } catch (...) {
        failure = std::current_exception();
    }
    if (!alive) {
        throw CancelledError();
    }
    if (m_state.generation == generation) {
        m_state.setWorking(false);
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    co_return response;
}

QCoro::Task<BrowserResponse> BrowserSession::performRequest(BrowserRequest request,
                                                            std::string executionID,
                                                            std::uint64_t generation,
                                                            std::stop_token stop)
{
    const Alive alive(&m_state);
    std::exception_ptr failure;
    try {
        if (stop.stop_requested()) {
            throw CancelledError();
        }
        auto sending = m_commands.sendRequest(std::move(request), executionID);
        BrowserResponse response = co_await std::move(sending);
        if (!alive || m_state.generation != generation || m_state.cancelled) {
            throw CancelledError(); // the session changed while the answer was on its way
        }
        if (response.ok) {
            if (response.snapshot) {
                m_state.capture = std::move(response.snapshot);
                response.snapshot.reset();
            }
            co_return response;
        }
        if (response.error) {
            throw BridgeFailure(response.error->message, std::optional<std::string>(response.error->code));
        }
        throw BridgeFailure(browser_text::operationFailed);
    } catch (...) {
        failure = std::current_exception();
    }
    if (alive && m_state.generation == generation) {
        try {
            std::rethrow_exception(failure);
        } catch (const BridgeFailure& bridgeFailure) {
            m_state.setOperationError(bridgeFailure.message());
        } catch (...) {
            m_state.setOperationError(std::string(browser_text::operationCancelled));
        }
        m_state.capture.reset();
    }
    std::rethrow_exception(failure);
}

QCoro::Task<void> BrowserSession::runSessionCommand(BrowserCommand command, std::stop_token stop)
{
    const auto& executionID = m_state.executionID();
    const auto& sessionID = m_state.status().sessionID;
    if (!executionID || !sessionID || m_state.cancelled) {
        throw BridgeFailure(browser_text::noSession);
    }
    BrowserRequest request{newRequestID(), command, sessionID, std::nullopt, std::nullopt};
    auto running = runOperation(std::move(request), *executionID, std::move(stop));
    co_await std::move(running);
}

QCoro::Task<void> BrowserSession::startSession(std::string executionID,
                                               std::string url,
                                               std::optional<BrowserCaptureSettings> viewport,
                                               std::stop_token stop)
{
    if (viewport) {
        viewport->validate();
    }
    if (!m_commands.isIdle()) {
        throw BridgeFailure(browser_text::notIdle);
    }
    m_state.setExecutionID(executionID);
    m_state.cancelled = false;
    ++m_state.generation;
    const Alive alive(&m_state);
    std::exception_ptr failure;
    try {
        BrowserRequest request{newRequestID(), BrowserCommand::start, std::nullopt, std::move(url), viewport};
        auto starting = runOperation(std::move(request), executionID, std::move(stop));
        co_await std::move(starting);
    } catch (...) {
        failure = std::current_exception();
    }
    if (!failure) {
        co_return;
    }
    // Chrome may still hold a session after a refusal other than "busy": the owner stays, so finishing ends it.
    if (alive && m_state.executionID() == executionID &&
        (!m_state.status().sessionID || hasCode(failure, bridge_code::busy))) {
        m_state.setExecutionID(std::nullopt);
    }
    std::rethrow_exception(failure);
}

QCoro::Task<BrowserSnapshot> BrowserSession::captureSnapshot(int retries, std::stop_token stop)
{
    const Alive alive(&m_state);
    const std::uint64_t generation = m_state.generation;
    const int allowed = std::max(retries, 0);
    const int last = std::min(allowed, maximumRetries);
    for (int attempt = 0;; ++attempt) {
        if (m_state.cancelled) {
            throw CancelledError();
        }
        std::exception_ptr failure;
        try {
            auto capturing = runSessionCommand(BrowserCommand::capturePage, stop);
            co_await std::move(capturing);
        } catch (...) {
            failure = std::current_exception();
        }
        if (!alive) {
            throw CancelledError();
        }
        if (!failure) {
            // A status that arrived with or after the answer may have cleared it.
            if (!m_state.capture) {
                throw BridgeFailure::invalidMessage();
            }
            BrowserSnapshot snapshot = std::move(*m_state.capture);
            m_state.capture.reset();
            co_return snapshot;
        }
        if (attempt >= allowed || !hasCode(failure, bridge_code::staleSnapshot)) {
            std::rethrow_exception(failure);
        }
        auto pause = sleepFor(staleRetryPause, stop, m_time);
        co_await std::move(pause);
        if (!alive) {
            throw CancelledError();
        }
        if (attempt == last) {
            throw BridgeFailure::invalidMessage();
        }
        if (m_state.generation != generation) {
            throw CancelledError();
        }
    }
}

QCoro::Task<void> BrowserSession::stopSession()
{
    TAVLEN_ASSERT_MAIN_THREAD();
    const auto peer = m_connections.selectedPeer();
    const auto executionID = m_state.executionID();
    if (!executionID || !peer) {
        m_state.capture.reset();
        co_return;
    }
    ++m_state.generation;
    m_state.cancelled = true;
    m_state.capture.reset();
    m_state.setWorking(false);
    m_pending.fail(peer->id, executionID, browser_text::sessionStopped);
    const Alive alive(&m_state);
    try {
        const std::string requestID = newRequestID();
        const std::int64_t sequence = peer->sequence + 1;
        std::string bytes =
            m_connections.encode(BrowserMessage{BrowserMessage::Cancel{peer->id, *executionID, sequence, requestID}});
        peer->sequence = sequence;
        auto cancelling =
            m_commands.awaitResponse(std::move(bytes), requestID, std::nullopt, peer, executionID, std::nullopt);
        const BrowserResponse answer = co_await std::move(cancelling);
        if (!alive) {
            co_return;
        }
        if (answer.status.state == browser_state::cleanupFailed) {
            m_state.setOperationError(answer.status.lastError ? std::optional(answer.status.lastError->message)
                                                              : std::nullopt);
        }
        if (answer.status.state == browser_state::idle) {
            m_state.setExecutionID(std::nullopt);
        }
    } catch (const BridgeFailure& failure) {
        if (alive) {
            m_state.setOperationError(failure.message());
        }
    } catch (...) {
        if (alive) {
            m_state.setOperationError(std::string(browser_text::stopFailed));
        }
    }
}

} // namespace tavlen
