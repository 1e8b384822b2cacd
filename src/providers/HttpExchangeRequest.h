#pragma once

#include "TimeSource.h"

#include <QUrl>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tavlen {

// One HTTP request to a model provider, as a transport builds it for exchangeHttp.
struct HttpExchangeRequest
{
    QUrl url;
    // POST with these bytes; GET without a body.
    std::optional<std::string> body;
    // Set in this order; names as the provider spells them.
    std::vector<std::pair<std::string, std::string>> headers;
    // The most bytes of the response body that are accepted.
    std::int64_t byteLimit = 0;
    // The whole exchange, from sending the request to the last byte of the answer.
    std::chrono::nanoseconds timeout{0};
    // Reach the server without any proxy (a server the user runs on their own network).
    bool direct = false;
    // Where the time-out runs; the system's clocks when null. Must outlive the exchange.
    const TimeSource* time = nullptr;
};

// A complete HTTP answer: any status, the body within the request's byte limit.
struct HttpExchangeResponse
{
    std::int64_t status = 0;
    std::string body;
};

// A time-out of a transport's interface (seconds as a double) as a duration: rounded up to whole nanoseconds,
// and the longest representable duration instead of an overflow. Precondition: seconds > 0.
std::chrono::nanoseconds exchangeTimeout(double seconds);

} // namespace tavlen
