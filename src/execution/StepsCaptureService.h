#pragma once

#include "StepsScreenshotCapturing.h"
#include "TimeSource.h"

namespace tavlen {

class StepsBrowser;

// Turns one Open page step into a screenshot through the browser, one capture at a time in the whole
// application. Main thread only; its state is not observed.
class StepsCaptureService final : public StepsScreenshotCapturing
{
public:
    // The browser (in production the browser client) must outlive the service.
    explicit StepsCaptureService(StepsBrowser& browser, const TimeSource& time = systemTime());

    bool capturing() const override { return m_capturing; }

    // "Another check or browser operation is active." while capturing; with the selected profile connected,
    // nothing when the browser is idle and a busy sentence otherwise; else the browser's connection text with
    // the hint to connect.
    std::optional<std::string> unavailableReason() const override;

    const StepsBrowser& browser() const override { return m_browser; }

    // Every check before the first suspension, so no second capture can slip in between the availability test
    // and `capturing` becoming true. Once the session was started, every failure and a stop close the temporary
    // tab before the error is thrown again.
    QCoro::Task<std::shared_ptr<const StepsScreenshot>> capture(std::string url,
                                                                std::int64_t delaySeconds,
                                                                BrowserCaptureSettings viewport,
                                                                StepsOpenPageSettings& settings,
                                                                std::function<bool()> isCurrent,
                                                                std::stop_token stop) override;

private:
    StepsBrowser& m_browser;
    const TimeSource& m_time;
    bool m_capturing = false;
};

} // namespace tavlen
