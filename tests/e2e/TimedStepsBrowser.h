#pragma once

#include "StepsBrowser.h"

#include <chrono>

namespace tavlen::test {

// The browser client as the capture service sees it, timing each session operation it passes on: how long the
// page took to open, the capture's round trip (Chrome's capture, the relay through the host and both
// validations) and the closing of the tab.
class TimedStepsBrowser final : public StepsBrowser
{
public:
    using Duration = std::chrono::steady_clock::duration;

    struct Times
    {
        Duration start{};
        Duration capture{};
        Duration finish{};
    };

    explicit TimedStepsBrowser(StepsBrowser& browser)
        : m_browser(browser)
    {}

    const Times& times() const { return m_times; }

    bool isConnected() const override { return m_browser.isConnected(); }

    bool isIdle() const override { return m_browser.isIdle(); }

    std::string connectionState() const override { return m_browser.connectionState(); }

    std::optional<std::string> connectionID() const override { return m_browser.connectionID(); }

    QCoro::Task<void> startSession(std::string executionID,
                                   std::string url,
                                   std::optional<BrowserCaptureSettings> viewport,
                                   std::stop_token stop) override;
    QCoro::Task<BrowserSnapshot> captureSnapshot(int retries, std::stop_token stop) override;
    QCoro::Task<bool> finishSession(std::string executionID, std::string connectionID) override;

private:
    StepsBrowser& m_browser;
    Times m_times;
};

} // namespace tavlen::test
