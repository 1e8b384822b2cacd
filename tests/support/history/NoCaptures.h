#pragma once

#include "StepsScreenshotCapturing.h"

#include <stdexcept>

namespace tavlen::test {

// The capture service of a steps store that only reads the history and the charts: it runs no checks, so nothing
// captures.
class NoCaptures final : public StepsScreenshotCapturing
{
public:
    bool capturing() const override { return false; }

    std::optional<std::string> unavailableReason() const override { return std::nullopt; }

    const StepsBrowser& browser() const override { throw std::logic_error("these tests run no checks"); }

    QCoro::Task<std::shared_ptr<const StepsScreenshot>> capture(std::string,
                                                                std::int64_t,
                                                                BrowserCaptureSettings,
                                                                StepsOpenPageSettings&,
                                                                std::function<bool()>,
                                                                std::stop_token) override
    {
        throw std::logic_error("these tests run no checks");
    }
};

} // namespace tavlen::test
