#include "HttpExchange.h"

#include "CancelledError.h"
#include "HttpLogFormat.h"
#include "NetworkReplyWait.h"
#include "ProvidersLog.h"
#include "Timeout.h"

#include <QIODevice>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>

namespace tavlen {

namespace {

// How much Qt may buffer ahead of the collector; the body itself is capped by the request's limit.
constexpr qint64 readAheadBytes = 256 * 1024;

// Deadlines run in whole milliseconds; a time-out is never rounded down to nothing.
std::chrono::milliseconds timeLimit(std::chrono::nanoseconds timeout)
{
    constexpr auto longest = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::hours(24 * 365 * 100));
    return std::max(std::chrono::ceil<std::chrono::milliseconds>(std::min(timeout, longest)),
                    std::chrono::milliseconds(1));
}

// What the reply's signals gather while the exchange waits, shared with their handlers so that a late signal never
// reaches a finished exchange.
struct Exchange
{
    std::int64_t byteLimit = 0;
    std::string body;
    std::optional<HttpExchangeFailure::Kind> failure;
    int sends = 0;

    // Aborting inside one of the reply's own signals confuses Qt's bookkeeping, so the abort goes through the
    // loop; nothing more is collected meanwhile.
    void fail(QNetworkReply& reply, HttpExchangeFailure::Kind kind)
    {
        if (!failure) {
            failure = kind;
        }
        QMetaObject::invokeMethod(&reply, &QNetworkReply::abort, Qt::QueuedConnection);
    }

    // Qt sends a GET again on a new connection when the first one closes before any answer, and no setting
    // turns that off. A connection cut before the answer is a network failure all the same: a second send fails
    // the exchange before its answer can be taken.
    void noteSent(QNetworkReply& reply)
    {
        if (++sends > 1) {
            fail(reply, HttpExchangeFailure::Kind::network);
        }
    }

    // An announced length above the limit is refused before a byte of the body is read.
    void checkAnnouncedLength(QNetworkReply& reply)
    {
        bool valid = false;
        const qlonglong announced = reply.header(QNetworkRequest::ContentLengthHeader).toLongLong(&valid);
        if (valid && announced > byteLimit) {
            fail(reply, HttpExchangeFailure::Kind::tooLarge);
        }
    }

    // Takes what has arrived, unless it would carry the body past the limit.
    void collect(QNetworkReply& reply)
    {
        const qint64 available = reply.bytesAvailable();
        if (failure || available <= 0) {
            return;
        }
        if (available > byteLimit - static_cast<std::int64_t>(body.size())) {
            fail(reply, HttpExchangeFailure::Kind::tooLarge);
            return;
        }
        const QByteArray bytes = reply.read(available);
        body.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
};

// Qt turns an HTTP error status into an error code of its own; those answers are still complete. Everything
// else that ends a reply with an error means the answer did not arrive whole.
bool isCompleteAnswer(QNetworkReply::NetworkError error, const QVariant& status)
{
    if (!status.isValid()) {
        return false;
    }
    switch (error) {
    case QNetworkReply::NoError:
    case QNetworkReply::ContentAccessDenied:
    case QNetworkReply::ContentOperationNotPermittedError:
    case QNetworkReply::ContentNotFoundError:
    case QNetworkReply::AuthenticationRequiredError:
    case QNetworkReply::ContentConflictError:
    case QNetworkReply::ContentGoneError:
    case QNetworkReply::UnknownContentError:
    case QNetworkReply::ProtocolInvalidOperationError:
    case QNetworkReply::InternalServerError:
    case QNetworkReply::OperationNotImplementedError:
    case QNetworkReply::ServiceUnavailableError:
    case QNetworkReply::UnknownServerError:
    case QNetworkReply::ProxyAuthenticationRequiredError: // a 407 from the server itself
        return true;
    default:
        return false;
    }
}

QNetworkRequest makeRequest(const HttpExchangeRequest& request)
{
    QNetworkRequest made(request.url);
    made.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    made.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    made.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    made.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    made.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    made.setAttribute(QNetworkRequest::AuthenticationReuseAttribute, QNetworkRequest::Manual);
    for (const auto& [name, value] : request.headers) {
        made.setRawHeader(QByteArray::fromStdString(name), QByteArray::fromStdString(value));
    }
    return made;
}

// A request body that is sent once. Qt's HTTP stack sends a request again when its connection closes before the
// answer began; a reading request is billed, so the body refuses to be rewound once read and Qt gives up instead.
class SendOnceBody final : public QIODevice
{
public:
    SendOnceBody(QByteArray bytes, QObject* parent)
        : QIODevice(parent)
        , m_bytes(std::move(bytes))
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }

    qint64 size() const override { return m_bytes.size(); }

    bool seek(qint64 position) override
    {
        if ((m_wasRead && position < m_offset) || position > m_bytes.size() || !QIODevice::seek(position)) {
            return false;
        }
        m_offset = position;
        return true;
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 count = std::min(maxSize, m_bytes.size() - m_offset);
        if (count <= 0) {
            return m_offset >= m_bytes.size() ? -1 : 0;
        }
        std::memcpy(data, m_bytes.constData() + m_offset, static_cast<std::size_t>(count));
        m_offset += count;
        m_wasRead = true;
        return count;
    }

    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    qint64 m_offset = 0;
    bool m_wasRead = false;
};

struct DeleteLater
{
    void operator()(QObject* object) const { object->deleteLater(); }
};

const char* failureName(HttpExchangeFailure::Kind kind)
{
    switch (kind) {
    case HttpExchangeFailure::Kind::tooLarge:
        return "over the byte limit";
    case HttpExchangeFailure::Kind::timedOut:
        return "timed out";
    case HttpExchangeFailure::Kind::network:
        return "network failure";
    case HttpExchangeFailure::Kind::notHttp:
        return "not an HTTP answer";
    }
    return "failed";
}

} // namespace

HttpExchangeFailure::HttpExchangeFailure(Kind kind)
    : std::runtime_error(failureName(kind))
    , m_kind(kind)
{}

std::chrono::nanoseconds exchangeTimeout(double seconds)
{
    constexpr double longest = static_cast<double>(std::numeric_limits<std::chrono::nanoseconds::rep>::max());
    const double nanoseconds = std::ceil(seconds * 1e9);
    if (!(nanoseconds < longest)) {
        return std::chrono::nanoseconds::max();
    }
    return std::chrono::nanoseconds(static_cast<std::chrono::nanoseconds::rep>(std::max(nanoseconds, 1.0)));
}

QCoro::Task<HttpExchangeResponse> exchangeHttp(HttpExchangeRequest request, std::stop_token stop)
{
    if (stop.stop_requested()) {
        throw CancelledError();
    }
    qCDebug(providersLog).noquote() << "Sending" << QString::fromStdString(describeHttpRequest(request));
    const auto started = std::chrono::steady_clock::now();

    // A client of its own, dropped with everything it learnt when the exchange ends.
    const std::unique_ptr<QNetworkAccessManager, DeleteLater> manager(new QNetworkAccessManager());
    manager->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    if (request.direct) {
        manager->setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
    }
    const QNetworkRequest made = makeRequest(request);
    QNetworkReply* const sent =
        request.body ? manager->post(made, new SendOnceBody(QByteArray::fromStdString(*request.body), manager.get()))
                     : manager->get(made);
    const std::unique_ptr<QNetworkReply, DeleteLater> reply(sent);
    reply->setReadBufferSize(readAheadBytes);

    auto exchange = std::make_shared<Exchange>();
    exchange->byteLimit = request.byteLimit;
    // The connections end with this context, before the frame's state goes.
    const QObject context;
    QNetworkReply* const raw = reply.get();
    QObject::connect(
        raw, &QNetworkReply::metaDataChanged, &context, [exchange, raw] { exchange->checkAnnouncedLength(*raw); });
    QObject::connect(raw, &QNetworkReply::readyRead, &context, [exchange, raw] { exchange->collect(*raw); });
    QObject::connect(raw, &QNetworkReply::requestSent, &context, [exchange, raw] { exchange->noteSent(*raw); });
    try {
        // A stop or the deadline aborts the reply at once.
        auto finished = withTimeout(
            timeLimit(request.timeout),
            stop,
            [raw](std::stop_token limit) { return waitForFinished(*raw, std::move(limit)); },
            request.time != nullptr ? *request.time : systemTime());
        co_await std::move(finished);
    } catch (const TimedOutError&) {
        if (!exchange->failure) {
            exchange->failure = HttpExchangeFailure::Kind::timedOut;
        }
    } catch (const CancelledError&) {
    }
    if (raw->isRunning()) {
        raw->abort();
    }
    if (stop.stop_requested()) {
        qCDebug(providersLog) << "Request cancelled";
        throw CancelledError();
    }
    exchange->collect(*raw);
    const QVariant status = raw->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!exchange->failure && !isCompleteAnswer(raw->error(), status)) {
        exchange->failure = raw->error() == QNetworkReply::NoError ? HttpExchangeFailure::Kind::notHttp
                                                                   : HttpExchangeFailure::Kind::network;
    }
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    if (exchange->failure) {
        qCDebug(providersLog).noquote() << "Request failed:" << failureName(*exchange->failure) << "after"
                                        << elapsed.count() << "ms;"
                                        << QString::fromStdString(redactKeys(raw->errorString().toStdString()));
        throw HttpExchangeFailure(*exchange->failure);
    }
    HttpExchangeResponse response{status.toLongLong(), std::move(exchange->body)};
    qCDebug(providersLog).noquote() << "Answered" << response.status << "with" << response.body.size() << "bytes after"
                                    << elapsed.count() << "ms";
    co_return response;
}

QCoro::Task<HttpExchangeResponse> exchangeHttp(HttpExchangeRequest request,
                                               std::stop_token stop,
                                               std::function<std::exception_ptr(HttpExchangeFailure::Kind)> failureFor)
{
    std::exception_ptr failure;
    try {
        auto exchange = exchangeHttp(std::move(request), std::move(stop));
        co_return co_await std::move(exchange);
    } catch (const HttpExchangeFailure& exchangeFailure) {
        failure = failureFor(exchangeFailure.kind());
    }
    std::rethrow_exception(failure);
}

} // namespace tavlen
