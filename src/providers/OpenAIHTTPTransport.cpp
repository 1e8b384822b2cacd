#include "OpenAIHTTPTransport.h"

#include "HttpExchange.h"
#include "OpenAIFailure.h"

namespace tavlen {

QUrl OpenAIHTTPTransport::defaultBaseURL()
{
    return QUrl(QStringLiteral("https://api.openai.com/v1/"));
}

OpenAIHTTPTransport::OpenAIHTTPTransport(QUrl baseURL, const TimeSource& time)
    : m_baseURL(std::move(baseURL))
    , m_time(&time)
{}

QCoro::Task<OpenAIHTTPResponse> OpenAIHTTPTransport::send(std::string path,
                                                          std::optional<std::string> body,
                                                          std::string apiKey,
                                                          std::int64_t responseByteLimit,
                                                          double timeoutSeconds,
                                                          std::stop_token stop)
{
    const bool isReading = path == "responses" && body.has_value();
    const bool isListing = path == "models" && !body.has_value();
    if (!isReading && !isListing) {
        throw OpenAIFailure::invalidResponse();
    }
    if (!(timeoutSeconds > 0)) {
        throw OpenAIFailure::timeout();
    }
    HttpExchangeRequest request;
    request.url = m_baseURL.resolved(QUrl(QString::fromStdString(path)));
    request.body = std::move(body);
    request.headers = {{"Authorization", "Bearer " + apiKey}, {"Content-Type", "application/json"}};
    request.byteLimit = responseByteLimit;
    request.timeout = exchangeTimeout(timeoutSeconds);
    request.time = m_time;
    HttpExchangeResponse response;
    try {
        auto exchange = exchangeHttp(std::move(request), std::move(stop));
        response = co_await std::move(exchange);
    } catch (const HttpExchangeFailure& failure) {
        switch (failure.kind()) {
        case HttpExchangeFailure::Kind::tooLarge:
            throw OpenAIFailure::responseTooLarge();
        case HttpExchangeFailure::Kind::notHttp:
            throw OpenAIFailure::invalidResponse();
        case HttpExchangeFailure::Kind::timedOut:
        case HttpExchangeFailure::Kind::network:
            break;
        }
        throw OpenAIFailure::network();
    }
    co_return OpenAIHTTPResponse{response.status, std::move(response.body)};
}

} // namespace tavlen
