#pragma once

#include "BrowserRect.h"
#include "PreparedPageEvidence.h"
#include "ProviderJSON.h"
#include "ProviderKeyStore.h"
#include "ReadingFailure.h"
#include "TimeSource.h"

#include <QCoroTask>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

namespace tavlen {

// The steps every reader shares around its one request.

// Throws CancelledError once stop is requested: a reader's checkpoint between its steps.
void throwIfStopped(const std::stop_token& stop);

// What a read with an API key needs before it builds its request.
struct KeyedReadInputs
{
    std::string apiKey;
    PreparedPageEvidence evidence;
};

// The saved key, then the page evidence of the region, with a checkpoint before, between and after them. Throws
// missingKey when no key is saved, and the failures of the key store and of the evidence.
QCoro::Task<KeyedReadInputs> prepareKeyedRead(std::shared_ptr<ProviderKeyStore> keyStore,
                                              ReadingFailure missingKey,
                                              std::shared_ptr<const StepsScreenshot> screenshot,
                                              BrowserRect region,
                                              std::stop_token stop);

// The request body that build makes around the page evidence, encoded as provider bodies are (compact, "/"
// written as \/). A body over limit bytes is built again with empty evidence ({"nodes":[]}), keeping the image
// and everything else; nothing when even that is over the limit. A body of exactly limit bytes is sent.
std::optional<std::string> encodeReadingBody(const std::function<ProviderJSON(std::string_view evidenceJSON)>& build,
                                             std::string_view evidenceJSON,
                                             std::int64_t limit);

// Seconds since start on the boot-time clock of time, with their fraction.
double secondsSince(const TimeSource& time, std::chrono::nanoseconds start);

// "Structured page evidence:", a line feed and the evidence JSON: the text part that carries the evidence.
std::string evidenceText(std::string_view evidenceJSON);

} // namespace tavlen
