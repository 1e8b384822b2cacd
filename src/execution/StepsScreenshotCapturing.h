#pragma once

#include "BrowserCaptureSettings.h"

#include <QCoroTask>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>

namespace tavlen {

class StepsBrowser;
class StepsOpenPageSettings;
class StepsScreenshot;

// How the executor and the steps store hold the capture service, so tests can script it.
class StepsScreenshotCapturing
{
public:
    virtual ~StepsScreenshotCapturing() = default;

    // True from the moment a capture passed its checks until it ends in any way.
    virtual bool capturing() const = 0;
    // The first reason why a capture cannot start now; nothing when it can.
    virtual std::optional<std::string> unavailableReason() const = 0;
    // The browser it captures through, whose profile state decides when a scheduled check may start.
    virtual const StepsBrowser& browser() const = 0;

    // Opens the URL in a temporary Chrome tab, waits delaySeconds, captures the page, has Chrome close the tab and
    // decodes the snapshot. The phases are shown on settings (which must outlive the call) while isCurrent()
    // holds. Throws BridgeFailure or ReadingFailure with the user's sentence, CancelledError on a stop.
    virtual QCoro::Task<std::shared_ptr<const StepsScreenshot>> capture(std::string url,
                                                                        std::int64_t delaySeconds,
                                                                        BrowserCaptureSettings viewport,
                                                                        StepsOpenPageSettings& settings,
                                                                        std::function<bool()> isCurrent,
                                                                        std::stop_token stop) = 0;
};

} // namespace tavlen
