#include "BoundedWait.h"
#include "CancelledError.h"
#include "EventLoopTest.h"
#include "LoopbackHttpServer.h"
#include "OpenAIFailure.h"
#include "OpenAIHTTPTransport.h"
#include "RawHttpServer.h"
#include "WaitUntil.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace std::chrono_literals;
using namespace tavlen;
using namespace tavlen::test;

namespace {

constexpr std::int64_t responseLimit = 2'097'152;

class OpenAITransportTest : public EventLoopTest
{
protected:
    static QUrl baseOf(const std::string& serverURL) { return QUrl(QString::fromStdString(serverURL + "/v1/")); }

    static OpenAIHTTPResponse send(OpenAIHTTPTransport& transport,
                                   std::string path,
                                   std::optional<std::string> body,
                                   double timeout = 20,
                                   std::stop_token stop = {})
    {
        return waitBounded(transport.send(std::move(path), std::move(body), "sk-test", responseLimit, timeout, stop));
    }

    static std::optional<OpenAIFailure>
    failureOf(OpenAIHTTPTransport& transport, std::string path, std::optional<std::string> body, double timeout = 20)
    {
        try {
            send(transport, std::move(path), std::move(body), timeout);
        } catch (const OpenAIFailure& failure) {
            return failure;
        }
        return std::nullopt;
    }
};

TEST_F(OpenAITransportTest, aReadingIsAPostToResponsesWithTheBearerKey)
{
    LoopbackHttpServer server;
    server.respond("/v1/responses", ScriptedAnswer::json(200, {{"status", "completed"}}));
    OpenAIHTTPTransport transport(baseOf(server.baseURL()));

    const OpenAIHTTPResponse response = send(transport, "responses", std::string(R"({"model":"gpt"})"));

    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.body, R"({"status":"completed"})");
    const RecordedRequest received = server.requests().at(0);
    EXPECT_EQ(received.method, "POST");
    EXPECT_EQ(received.path, "/v1/responses");
    EXPECT_EQ(received.query, "");
    EXPECT_EQ(received.header("Authorization"), "Bearer sk-test");
    EXPECT_EQ(received.header("Content-Type"), "application/json");
    EXPECT_EQ(received.body, R"({"model":"gpt"})");
}

TEST_F(OpenAITransportTest, theListingIsAGetOfModelsWithTheSameHeaders)
{
    LoopbackHttpServer server;
    server.respond("/v1/models", ScriptedAnswer::json(200, {{"data", nlohmann::json::array()}}));
    OpenAIHTTPTransport transport(baseOf(server.baseURL()));

    send(transport, "models", std::nullopt);

    const RecordedRequest received = server.requests().at(0);
    EXPECT_EQ(received.method, "GET");
    EXPECT_EQ(received.path, "/v1/models");
    EXPECT_EQ(received.header("Authorization"), "Bearer sk-test");
    EXPECT_EQ(received.header("Content-Type"), "application/json");
    EXPECT_TRUE(received.body.empty());
}

TEST_F(OpenAITransportTest, requestsThatDoNotFitTheirPathOrTimeAreRefusedBeforeSending)
{
    LoopbackHttpServer server;
    OpenAIHTTPTransport transport(baseOf(server.baseURL()));
    const OpenAIFailure invalid = OpenAIFailure::invalidResponse();
    EXPECT_EQ(failureOf(transport, "models", std::string("{}")), invalid);
    EXPECT_EQ(failureOf(transport, "responses", std::nullopt), invalid);
    EXPECT_EQ(failureOf(transport, "files", std::nullopt), invalid);
    EXPECT_EQ(failureOf(transport, "../responses", std::string("{}")), invalid);
    for (const double timeout : {0.0, -1.0, std::nan("")}) {
        EXPECT_EQ(failureOf(transport, "responses", std::string("{}"), timeout), OpenAIFailure::timeout());
    }
    EXPECT_EQ(server.requestCount(), 0u);
    EXPECT_EQ(invalid.code(), "invalid_provider_response");
    EXPECT_EQ(invalid.message(),
              "OpenAI returned an incomplete or unsupported tool response. Choose Test step to retry.");
    EXPECT_EQ(OpenAIFailure::timeout().code(), "execution_timeout");
    EXPECT_EQ(OpenAIFailure::timeout().message(), "The reading request reached its time limit.");
}

TEST_F(OpenAITransportTest, aRedirectComesBackAsItsOwnStatus)
{
    RawHttpServer server;
    server.play({RawHttpServer::send(
        RawHttpServer::head(302, {{"Location", "http://127.0.0.1:1/v1/responses"}, {"Content-Length", "0"}}))});
    OpenAIHTTPTransport transport(baseOf(server.baseURL()));
    EXPECT_EQ(send(transport, "responses", std::string("{}")).status, 302);
    EXPECT_EQ(server.requestCount(), 1u);
}

TEST_F(OpenAITransportTest, answersOverTheLimitAndLostConnectionsHaveTheirFailures)
{
    const OpenAIFailure tooLarge(
        "budget_exceeded", "The reading request reached its provider response size limit.", false);
    const OpenAIFailure network(
        "provider_network", "Could not reach OpenAI. Check your connection and try again.", false);

    struct Case
    {
        const char* name;
        RawHttpServer::Script script;
        double timeout;
        std::optional<OpenAIFailure> failure;
    };

    const std::string exact(responseLimit, 'x');
    const Case cases[] = {
        {"a body of exactly the limit", {RawHttpServer::send(RawHttpServer::answer(500, exact))}, 20, std::nullopt},
        {"a body one byte over the limit, whatever the status",
         {RawHttpServer::send(RawHttpServer::answer(500, exact + "x"))},
         20,
         tooLarge},
        {"an announced length over the limit",
         {RawHttpServer::send(RawHttpServer::head(200, {{"Content-Length", std::to_string(responseLimit + 1)}})),
          RawHttpServer::hold()},
         20,
         tooLarge},
        {"a reset connection", {RawHttpServer::reset()}, 20, network},
        // The HTTP client's time-out is a network failure for OpenAI.
        {"no answer within the time-out", {RawHttpServer::hold()}, 0.3, network},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        RawHttpServer server;
        server.play(row.script);
        OpenAIHTTPTransport transport(baseOf(server.baseURL()));
        EXPECT_EQ(failureOf(transport, "responses", std::string("{}"), row.timeout), row.failure);
    }
    OpenAIHTTPTransport refused(QUrl(QStringLiteral("http://127.0.0.1:%1/v1/").arg(RawHttpServer::refusedPort())));
    EXPECT_EQ(failureOf(refused, "models", std::nullopt), network);
}

TEST_F(OpenAITransportTest, cancellingTheReadGivesTheCancellationNotANetworkFailure)
{
    RawHttpServer server;
    server.play({RawHttpServer::hold()});
    OpenAIHTTPTransport transport(baseOf(server.baseURL()));
    std::stop_source stop;
    auto task = transport.send("responses", std::string("{}"), "sk-test", responseLimit, 20, stop.get_token());
    waitUntil([&] { return server.requestCount() == 1; });
    stop.request_stop();
    EXPECT_THROW(waitBounded(std::move(task), 5s), CancelledError);
}

} // namespace
