#include "StepsCaptureService.h"

#include "Background.h"
#include "BridgeFailure.h"
#include "CancelledError.h"
#include "ExecutionText.h"
#include "MainThread.h"
#include "PageURL.h"
#include "Sleep.h"
#include "StepsBrowser.h"
#include "StepsDocument.h"
#include "StepsOpenPageSettings.h"
#include "StepsScreenshot.h"
#include "Uuid.h"

#include <chrono>
#include <exception>

namespace tavlen {
namespace {

// A stale capture is repeated at most this often by the browser.
constexpr int snapshotRetries = 2;

void throwIfStopped(const std::stop_token& stop)
{
    if (stop.stop_requested()) {
        throw CancelledError();
    }
}

// Keeps `capturing` true for exactly as long as it lives.
class CapturingScope
{
public:
    explicit CapturingScope(bool& flag)
        : m_flag(flag)
    {
        m_flag = true;
    }

    ~CapturingScope() { m_flag = false; }

    CapturingScope(const CapturingScope&) = delete;
    CapturingScope& operator=(const CapturingScope&) = delete;

private:
    bool& m_flag;
};

} // namespace

StepsCaptureService::StepsCaptureService(StepsBrowser& browser, const TimeSource& time)
    : m_browser(browser)
    , m_time(time)
{}

std::optional<std::string> StepsCaptureService::unavailableReason() const
{
    if (m_capturing) {
        return std::string(execution_text::captureActive);
    }
    if (m_browser.isConnected()) {
        if (m_browser.isIdle()) {
            return std::nullopt;
        }
        return std::string(execution_text::chromeBusy);
    }
    return m_browser.connectionState() + std::string(execution_text::connectSuffix);
}

QCoro::Task<std::shared_ptr<const StepsScreenshot>> StepsCaptureService::capture(std::string url,
                                                                                 std::int64_t delaySeconds,
                                                                                 BrowserCaptureSettings viewport,
                                                                                 StepsOpenPageSettings& settings,
                                                                                 std::function<bool()> isCurrent,
                                                                                 std::stop_token stop)
{
    Q_ASSERT(isMainThread());
    // Nothing here suspends until `capturing` is set.
    const std::optional<std::string> pageAddress = pageURL(url);
    if (!pageAddress) {
        throw BridgeFailure(execution_text::enterCaptureURL);
    }
    if (delaySeconds < 0 || delaySeconds > StepsDocument::OpenPage::maximumDelay) {
        throw BridgeFailure(execution_text::captureDelayOutOfRange);
    }
    viewport.validate();
    if (const std::optional<std::string> reason = unavailableReason()) {
        throw BridgeFailure(*reason);
    }
    const std::optional<std::string> connectionID = m_browser.connectionID();
    if (!connectionID) {
        throw BridgeFailure(bridge_text::chromeDisconnected);
    }
    throwIfStopped(stop);
    const CapturingScope scope(m_capturing);
    const std::string executionID = Uuid::random().uppercaseString();

    const auto showPhase = [&settings, &isCurrent](StepsCapturePhase phase) {
        if (!isCurrent || isCurrent()) {
            settings.setPhase(phase);
        }
    };

    std::optional<BrowserSnapshot> snapshot;
    std::exception_ptr failure;
    try {
        showPhase(StepsCapturePhase::loading);
        co_await m_browser.startSession(executionID, *pageAddress, viewport, stop);
        throwIfStopped(stop);
        if (delaySeconds > 0) {
            showPhase(StepsCapturePhase::waiting);
            // The delay counts through a system suspend, as the user's wall time does.
            const auto deadline = m_time.now(TimeSource::Clock::bootTime) + std::chrono::seconds(delaySeconds);
            co_await sleepUntil(deadline, stop, m_time);
            throwIfStopped(stop);
        }
        showPhase(StepsCapturePhase::capturing);
        snapshot = co_await m_browser.captureSnapshot(snapshotRetries, stop);
        throwIfStopped(stop);
        snapshot->checkGeometry(viewport);
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure) {
        // The tab is closed also when opening, waiting or capturing failed; the close's answer does not change
        // what the user is told.
        showPhase(StepsCapturePhase::closing);
        co_await m_browser.finishSession(executionID, *connectionID);
        std::rethrow_exception(failure);
    }

    showPhase(StepsCapturePhase::closing);
    const bool closed = co_await m_browser.finishSession(executionID, *connectionID);
    if (!closed) {
        throw BridgeFailure(execution_text::tabNotClosed);
    }
    throwIfStopped(stop);
    showPhase(StepsCapturePhase::decoding);
    // Decoding a full-page PNG takes long enough to stall the UI.
    auto decode = [snapshot = std::move(*snapshot)] { return StepsScreenshot::make(snapshot); };
    auto decoding = runInBackground(std::move(decode), stop);
    std::shared_ptr<const StepsScreenshot> screenshot = co_await std::move(decoding);
    throwIfStopped(stop);
    co_return screenshot;
}

} // namespace tavlen
