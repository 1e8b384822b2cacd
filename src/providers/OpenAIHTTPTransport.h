#pragma once

#include "OpenAITransport.h"
#include "TimeSource.h"

#include <QUrl>

namespace tavlen {

// The OpenAI transport over HTTP: each request gets a client of its own that keeps nothing and follows no
// redirect (exchangeHttp); a time-out of the HTTP client counts as a network failure.
class OpenAIHTTPTransport final : public OpenAITransport
{
public:
    // "https://api.openai.com/v1/".
    static QUrl defaultBaseURL();

    // baseURL: where the API's paths start, ending with "/" (tests use a loopback server). time: where the
    // time-outs run; it must outlive the transport.
    explicit OpenAIHTTPTransport(QUrl baseURL = defaultBaseURL(), const TimeSource& time = systemTime());

    QCoro::Task<OpenAIHTTPResponse> send(std::string path,
                                         std::optional<std::string> body,
                                         std::string apiKey,
                                         std::int64_t responseByteLimit,
                                         double timeoutSeconds,
                                         std::stop_token stop) override;

private:
    QUrl m_baseURL;
    const TimeSource* m_time;
};

} // namespace tavlen
