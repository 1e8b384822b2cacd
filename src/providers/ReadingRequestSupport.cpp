#include "ReadingRequestSupport.h"

#include "CancelledError.h"
#include "PageEvidenceProjection.h"

namespace tavlen {

void throwIfStopped(const std::stop_token& stop)
{
    if (stop.stop_requested()) {
        throw CancelledError();
    }
}

QCoro::Task<KeyedReadInputs> prepareKeyedRead(std::shared_ptr<ProviderKeyStore> keyStore,
                                              ReadingFailure missingKey,
                                              std::shared_ptr<const StepsScreenshot> screenshot,
                                              BrowserRect region,
                                              std::stop_token stop)
{
    throwIfStopped(stop);
    auto lookup = keyStore->apiKey();
    std::optional<std::string> apiKey = co_await std::move(lookup);
    if (!apiKey) {
        throw missingKey;
    }
    throwIfStopped(stop);
    auto preparing = PreparedPageEvidence::prepare(std::move(screenshot), region);
    PreparedPageEvidence evidence = co_await std::move(preparing);
    throwIfStopped(stop);
    co_return KeyedReadInputs{std::move(*apiKey), std::move(evidence)};
}

std::optional<std::string> encodeReadingBody(const std::function<ProviderJSON(std::string_view evidenceJSON)>& build,
                                             std::string_view evidenceJSON,
                                             std::int64_t limit)
{
    std::string encoded = build(evidenceJSON).encoded();
    if (static_cast<std::int64_t>(encoded.size()) <= limit) {
        return encoded;
    }
    encoded = build(PageEvidenceProjection::emptyEnvelope).encoded();
    if (static_cast<std::int64_t>(encoded.size()) <= limit) {
        return encoded;
    }
    return std::nullopt;
}

double secondsSince(const TimeSource& time, std::chrono::nanoseconds start)
{
    return std::chrono::duration<double>(time.now(TimeSource::Clock::bootTime) - start).count();
}

std::string evidenceText(std::string_view evidenceJSON)
{
    std::string text = "Structured page evidence:\n";
    text += evidenceJSON;
    return text;
}

} // namespace tavlen
