#include "CloudHTTPTransport.h"

#include "CloudFailures.h"
#include "HttpExchange.h"

namespace tavlen {

namespace {

constexpr std::size_t largestPageToken = 4096;

// A query item's value with everything but the unreserved characters escaped, so that a token holding "+", "&"
// or "=" reaches the server as it was given.
QString queryValue(const std::string& value)
{
    return QString::fromLatin1(QByteArray::fromStdString(value).toPercentEncoding());
}

} // namespace

CloudHTTPTransport::BaseURLs CloudHTTPTransport::defaultBaseURLs()
{
    return {QUrl(QStringLiteral("https://api.anthropic.com")),
            QUrl(QStringLiteral("https://generativelanguage.googleapis.com"))};
}

CloudHTTPTransport::CloudHTTPTransport(BaseURLs baseURLs, const TimeSource& time)
    : m_baseURLs(std::move(baseURLs))
    , m_time(&time)
{}

HttpExchangeRequest CloudHTTPTransport::makeRequest(ModelSelection::Provider provider,
                                                    const CloudRequest& request,
                                                    const std::string& apiKey,
                                                    std::int64_t byteLimit,
                                                    double timeoutSeconds) const
{
    using Provider = ModelSelection::Provider;
    if (provider != Provider::anthropic && provider != Provider::gemini) {
        throw ProviderFailure::invalidProviderResponse();
    }
    if (!(timeoutSeconds > 0)) {
        throw modelTimeoutFailure();
    }
    const bool isAnthropic = provider == Provider::anthropic;
    QUrl url = isAnthropic ? m_baseURLs.anthropic : m_baseURLs.gemini;
    std::string path;
    QString query;
    if (request.kind == CloudRequest::Kind::generate) {
        if (!isValidCloudModelIdentifier(request.modelIdentifier)) {
            throw ProviderFailure::invalidProviderResponse();
        }
        path = isAnthropic ? "/v1/messages" : "/v1beta/models/" + request.modelIdentifier + ":generateContent";
    } else {
        path = isAnthropic ? "/v1/models" : "/v1beta/models";
        query = isAnthropic ? QStringLiteral("limit=1000") : QStringLiteral("pageSize=1000");
        if (request.pageToken) {
            if (request.pageToken->empty() || request.pageToken->size() > largestPageToken) {
                throw ProviderFailure::invalidProviderResponse();
            }
            query += (isAnthropic ? QStringLiteral("&after_id=") : QStringLiteral("&pageToken=")) +
                     queryValue(*request.pageToken);
        }
    }
    // The base may carry a path of its own (a test server's prefix); the provider's path follows it.
    QString basePath = url.path();
    while (basePath.endsWith(QLatin1Char('/'))) {
        basePath.chop(1);
    }
    url.setPath(basePath + QString::fromStdString(path));
    if (!query.isEmpty()) {
        url.setQuery(query, QUrl::StrictMode);
    }
    if (!url.isValid()) {
        throw ProviderFailure::invalidProviderResponse();
    }
    HttpExchangeRequest made;
    made.url = url;
    if (request.kind == CloudRequest::Kind::generate) {
        made.body = request.body;
    }
    made.headers = {{"Content-Type", "application/json"}, {isAnthropic ? "x-api-key" : "x-goog-api-key", apiKey}};
    if (isAnthropic) {
        made.headers.emplace_back("anthropic-version", "2023-06-01");
    }
    made.byteLimit = byteLimit;
    made.timeout = exchangeTimeout(timeoutSeconds);
    made.time = m_time;
    return made;
}

QCoro::Task<CloudHTTPResponse> CloudHTTPTransport::send(ModelSelection::Provider provider,
                                                        CloudRequest request,
                                                        std::string apiKey,
                                                        std::int64_t byteLimit,
                                                        double timeoutSeconds,
                                                        std::stop_token stop)
{
    HttpExchangeRequest made = makeRequest(provider, request, apiKey, byteLimit, timeoutSeconds);
    auto exchange = exchangeHttp(std::move(made), std::move(stop), [provider](HttpExchangeFailure::Kind kind) {
        switch (kind) {
        case HttpExchangeFailure::Kind::tooLarge:
            return std::make_exception_ptr(budgetExceededFailure(provider));
        case HttpExchangeFailure::Kind::notHttp:
            return std::make_exception_ptr(invalidResponseFailure(provider));
        case HttpExchangeFailure::Kind::timedOut:
            return std::make_exception_ptr(modelTimeoutFailure());
        case HttpExchangeFailure::Kind::network:
            break;
        }
        return std::make_exception_ptr(cloudNetworkFailure(provider));
    });
    HttpExchangeResponse response = co_await std::move(exchange);
    co_return CloudHTTPResponse{response.status, std::move(response.body)};
}

} // namespace tavlen
