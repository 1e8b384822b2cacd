#pragma once

#include "CloudTransport.h"
#include "HttpExchangeRequest.h"
#include "TimeSource.h"

#include <QUrl>

namespace tavlen {

// The Anthropic and Gemini transport over HTTP: each request gets a client of its own that keeps nothing and
// follows no redirect (exchangeHttp).
class CloudHTTPTransport final : public CloudTransport
{
public:
    // The providers' API servers, without a path.
    struct BaseURLs
    {
        QUrl anthropic;
        QUrl gemini;
    };

    // "https://api.anthropic.com" and "https://generativelanguage.googleapis.com".
    static BaseURLs defaultBaseURLs();

    // time: where the time-outs run; it must outlive the transport.
    explicit CloudHTTPTransport(BaseURLs baseURLs = defaultBaseURLs(), const TimeSource& time = systemTime());

    // The exchange for request: its URL, headers ("Content-Type", the key, Anthropic's version), body and time-out.
    // Throws ProviderFailure: invalid_provider_response for a provider other than Anthropic and Gemini, a model
    // identifier outside isValidCloudModelIdentifier or a page token that is empty or over 4096 bytes;
    // execution_timeout for a time-out that is not positive.
    HttpExchangeRequest makeRequest(ModelSelection::Provider provider,
                                    const CloudRequest& request,
                                    const std::string& apiKey,
                                    std::int64_t byteLimit,
                                    double timeoutSeconds) const;

    QCoro::Task<CloudHTTPResponse> send(ModelSelection::Provider provider,
                                        CloudRequest request,
                                        std::string apiKey,
                                        std::int64_t byteLimit,
                                        double timeoutSeconds,
                                        std::stop_token stop) override;

private:
    BaseURLs m_baseURLs;
    const TimeSource* m_time;
};

} // namespace tavlen
