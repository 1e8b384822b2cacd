#include "OllamaHTTPTransport.h"

#include "CloudFailures.h"
#include "HttpExchange.h"
#include "ModelSelection.h"
#include "OllamaFailures.h"
#include "ProviderJSON.h"
#include "TransportText.h"

#include <QString>

#include <algorithm>
#include <cctype>

namespace tavlen {

namespace {

// The server's "error" text in lower case; empty when the body does not carry one.
std::string errorTextOf(const std::string& body)
{
    try {
        const std::optional<ProviderJSON> error = ProviderJSON::parse(body).member("error");
        if (error && error->asString()) {
            return QString::fromStdString(*error->asString()).toLower().toStdString();
        }
    } catch (const ProviderFailure&) {
    }
    return {};
}

ProviderFailure unavailableFailure()
{
    return {provider_code::ollamaUnavailable, provider_text::ollamaUnavailable, false};
}

} // namespace

OllamaHTTPTransport::OllamaHTTPTransport(const TimeSource& time)
    : m_time(&time)
{}

QCoro::Task<std::string> OllamaHTTPTransport::send(std::string host,
                                                   std::string path,
                                                   std::optional<std::string> body,
                                                   std::int64_t responseLimit,
                                                   double timeoutSeconds,
                                                   std::stop_token stop)
{
    const std::string origin = ModelSelection::normalizedOllamaHost(host);
    if ((path != "tags" || body) && (path != "chat" || !body)) {
        throw ProviderFailure::invalidProviderResponse();
    }
    if (!(timeoutSeconds > 0)) {
        throw modelTimeoutFailure();
    }
    HttpExchangeRequest request;
    request.url = QUrl(QString::fromStdString(origin + "/api/" + path), QUrl::StrictMode);
    request.body = std::move(body);
    request.headers = {{"Content-Type", "application/json"}};
    request.byteLimit = responseLimit;
    request.timeout = exchangeTimeout(timeoutSeconds);
    request.direct = true;
    request.time = m_time;
    auto exchange = exchangeHttp(std::move(request), std::move(stop), [](HttpExchangeFailure::Kind kind) {
        switch (kind) {
        case HttpExchangeFailure::Kind::tooLarge:
        case HttpExchangeFailure::Kind::notHttp:
            return std::make_exception_ptr(ProviderFailure::invalidProviderResponse());
        case HttpExchangeFailure::Kind::timedOut:
            return std::make_exception_ptr(modelTimeoutFailure());
        case HttpExchangeFailure::Kind::network:
            break;
        }
        return std::make_exception_ptr(unavailableFailure());
    });
    HttpExchangeResponse response = co_await std::move(exchange);
    if (response.status >= 200 && response.status <= 299) {
        co_return std::move(response.body);
    }
    if (response.status == 404) {
        throw ollamaModelMissingFailure();
    }
    throw ollamaStatusFailure(response.status, errorTextOf(response.body));
}

} // namespace tavlen
