#include "ReadingRouter.h"

#include "MainThread.h"
#include "ProviderFailure.h"
#include "ReadingRequestSupport.h"
#include "Sleep.h"
#include "TransportText.h"

#include <exception>

namespace tavlen {

ReadingRouter::ReadingRouter(std::shared_ptr<StepsReader> openAI,
                             std::shared_ptr<StepsReader> ollama,
                             std::shared_ptr<StepsReader> anthropic,
                             std::shared_ptr<StepsReader> gemini,
                             const TimeSource& time)
    : m_openAI(std::move(openAI))
    , m_ollama(std::move(ollama))
    , m_anthropic(std::move(anthropic))
    , m_gemini(std::move(gemini))
    , m_time(&time)
{}

StepsReader* ReadingRouter::readerFor(ModelSelection::Provider provider) const
{
    switch (provider) {
    case ModelSelection::Provider::openAI:
        return m_openAI.get();
    case ModelSelection::Provider::anthropic:
        return m_anthropic.get();
    case ModelSelection::Provider::gemini:
        return m_gemini.get();
    case ModelSelection::Provider::ollama:
        return m_ollama.get();
    }
    return nullptr;
}

QCoro::Task<std::vector<Reading>> ReadingRouter::read(ModelSelection selection,
                                                      std::int64_t timeoutSeconds,
                                                      std::vector<ReadingField> fields,
                                                      std::shared_ptr<const StepsScreenshot> screenshot,
                                                      BrowserRect region,
                                                      UsageCallback onUsage,
                                                      std::stop_token stop)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    while (m_busy) {
        co_await sleepFor(pollInterval, stop, *m_time);
    }
    // Nothing suspends between the last test and taking the turn, so two reads never both find it free.
    throwIfStopped(stop);
    m_busy = true;
    StepsReader* const reader = readerFor(selection.provider);
    if (reader == nullptr) {
        m_busy = false;
        throw ProviderFailure(provider_code::unsupportedProvider, provider_text::providerUnavailable, false);
    }
    std::exception_ptr failure;
    std::vector<Reading> readings;
    try {
        auto reading = reader->read(std::move(selection),
                                    timeoutSeconds,
                                    std::move(fields),
                                    std::move(screenshot),
                                    region,
                                    std::move(onUsage),
                                    std::move(stop));
        readings = co_await std::move(reading);
    } catch (...) {
        failure = std::current_exception();
    }
    m_busy = false;
    if (failure) {
        std::rethrow_exception(failure);
    }
    co_return readings;
}

} // namespace tavlen
