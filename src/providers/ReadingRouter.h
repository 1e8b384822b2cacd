#pragma once

#include "StepsReader.h"
#include "TimeSource.h"

#include <chrono>
#include <memory>

namespace tavlen {

// The one reader the steps executor holds: hands each read unchanged to the reader of the selection's provider,
// one read at a time in the whole application. A read that meets another one waits, testing every 50 ms, and
// takes the turn at its next test after the other ends; waiting reads are not served in arrival order. Main
// thread.
class ReadingRouter final : public StepsReader
{
public:
    static constexpr std::chrono::milliseconds pollInterval{50};

    // anthropic and gemini may be absent: their reads then fail.
    ReadingRouter(std::shared_ptr<StepsReader> openAI,
                  std::shared_ptr<StepsReader> ollama,
                  std::shared_ptr<StepsReader> anthropic,
                  std::shared_ptr<StepsReader> gemini,
                  const TimeSource& time = systemTime());

    // True while a read has been handed to a reader and has not ended.
    bool isBusy() const { return m_busy; }

    // The chosen reader's readings or failure, unchanged. Throws CancelledError when stop is requested while
    // waiting for the turn (the running read keeps it), ProviderFailure unsupported_provider when the provider
    // has no reader. Reports nothing of its own.
    QCoro::Task<std::vector<Reading>> read(ModelSelection selection,
                                           std::int64_t timeoutSeconds,
                                           std::vector<ReadingField> fields,
                                           std::shared_ptr<const StepsScreenshot> screenshot,
                                           BrowserRect region,
                                           UsageCallback onUsage,
                                           std::stop_token stop) override;

private:
    StepsReader* readerFor(ModelSelection::Provider provider) const;

    std::shared_ptr<StepsReader> m_openAI;
    std::shared_ptr<StepsReader> m_ollama;
    std::shared_ptr<StepsReader> m_anthropic;
    std::shared_ptr<StepsReader> m_gemini;
    const TimeSource* m_time;
    bool m_busy = false;
};

} // namespace tavlen
