#pragma once

#include "OllamaTransport.h"
#include "TimeSource.h"

namespace tavlen {

// The Ollama transport over HTTP: the server is reached directly, never through a proxy, with a client of its own
// per request that keeps nothing and follows no redirect (exchangeHttp).
class OllamaHTTPTransport final : public OllamaTransport
{
public:
    explicit OllamaHTTPTransport(const TimeSource& time = systemTime());

    QCoro::Task<std::string> send(std::string host,
                                  std::string path,
                                  std::optional<std::string> body,
                                  std::int64_t responseLimit,
                                  double timeoutSeconds,
                                  std::stop_token stop) override;

private:
    const TimeSource* m_time;
};

} // namespace tavlen
