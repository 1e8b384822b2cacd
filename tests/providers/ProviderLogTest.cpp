#include "BoundedWait.h"
#include "HttpExchange.h"
#include "HttpLogFormat.h"
#include "LoopbackHttpServer.h"

#include <QLoggingCategory>

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

using namespace std::chrono_literals;
using namespace tavlen;
using namespace tavlen::test;

namespace {

constexpr const char* secret = "sk-proj-Zq8v3SECRET";

// Collects every message of the providers' log at debug level while it exists.
class ProvidersLogCapture
{
public:
    ProvidersLogCapture()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("org.tavlen.Tavlen.Providers.debug=true"));
        m_previous = qInstallMessageHandler(&ProvidersLogCapture::handle);
    }

    ~ProvidersLogCapture()
    {
        qInstallMessageHandler(m_previous);
        QLoggingCategory::setFilterRules(QString());
        const std::lock_guard lock(s_mutex);
        s_messages.clear();
    }

    std::vector<std::string> messages() const
    {
        const std::lock_guard lock(s_mutex);
        return s_messages;
    }

private:
    static void handle(QtMsgType, const QMessageLogContext&, const QString& message)
    {
        const std::lock_guard lock(s_mutex);
        s_messages.push_back(message.toStdString());
    }

    static inline std::mutex s_mutex;
    static inline std::vector<std::string> s_messages;
    QtMessageHandler m_previous = nullptr;
};

TEST(ProviderLog, aKnownKeyNeverReachesTheLog)
{
    ProvidersLogCapture log;
    LoopbackHttpServer server;
    server.respond("/v1/messages", ScriptedAnswer::json(401, {{"error", {{"message", "bad key"}}}}));
    for (const auto& header : {"Authorization", "x-api-key", "x-goog-api-key", "X-Goog-Api-Key"}) {
        HttpExchangeRequest request;
        request.url = QUrl(QString::fromStdString(server.baseURL() + "/v1/messages?key=" + secret + "&alt=json"));
        request.body = "{}";
        request.headers = {{"Content-Type", "application/json"}, {header, std::string("Bearer ") + secret}};
        request.byteLimit = 1024;
        request.timeout = 20s;
        waitBounded(exchangeHttp(request, {}));
        // A failure that quotes the URL in its error text must not leak either.
        request.url = QUrl(QString::fromStdString("http://127.0.0.1:1/v1/messages?key=" + std::string(secret)));
        EXPECT_THROW(waitBounded(exchangeHttp(request, {})), HttpExchangeFailure);
    }
    flushDeferredDeletes();
    const std::vector<std::string> messages = log.messages();
    ASSERT_FALSE(messages.empty());
    for (const std::string& message : messages) {
        EXPECT_EQ(message.find(secret), std::string::npos) << message;
        EXPECT_EQ(message.find("Zq8v3"), std::string::npos) << message;
    }
}

TEST(ProviderLog, keyValuesAreRedactedWhereverAKeyIsNamed)
{
    struct Case
    {
        const char* text;
        const char* redacted;
    };

    const Case cases[] = {
        {"https://x/v1?key=abc", "https://x/v1?key=<redacted>"},
        {"https://x/v1?alt=json&key=abc&b=1", "https://x/v1?alt=json&key=<redacted>&b=1"},
        {"error at https://x/?api_key=abc now", "error at https://x/?api_key=<redacted> now"},
        {"x-goog-api-key=abc", "x-goog-api-key=<redacted>"},
        {"monkey=abc", "monkey=abc"},
        {"no keys here", "no keys here"},
    };
    for (const Case& row : cases) {
        EXPECT_EQ(redactKeys(row.text), row.redacted);
    }
}

} // namespace
