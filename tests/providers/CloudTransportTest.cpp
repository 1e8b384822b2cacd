#include "BoundedWait.h"
#include "CancelledError.h"
#include "CloudHTTPTransport.h"
#include "LoopbackHttpServer.h"
#include "ProviderFailure.h"
#include "RawHttpServer.h"
#include "WaitUntil.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace std::chrono_literals;
using namespace tavlen;
using namespace tavlen::test;
using Provider = ModelSelection::Provider;

namespace {

constexpr std::int64_t limit = 2'097'152;

CloudHTTPTransport transportFor(const std::string& serverURL)
{
    const QUrl base(QString::fromStdString(serverURL));
    return CloudHTTPTransport({base, base});
}

CloudHTTPResponse send(CloudHTTPTransport& transport, Provider provider, CloudRequest request, double timeout = 20)
{
    return waitBounded(transport.send(provider, std::move(request), "key-123", limit, timeout, {}));
}

std::optional<ProviderFailure>
failureOf(CloudHTTPTransport& transport, Provider provider, CloudRequest request, double timeout = 20)
{
    try {
        send(transport, provider, std::move(request), timeout);
    } catch (const ProviderFailure& failure) {
        return failure;
    }
    return std::nullopt;
}

class CloudTransportTest : public testing::Test
{
protected:
    void TearDown() override { flushDeferredDeletes(); }
};

TEST_F(CloudTransportTest, eachRequestGoesToItsEndpointWithItsHeaders)
{
    struct Case
    {
        const char* name;
        Provider provider;
        CloudRequest request;
        const char* method;
        const char* path;
        const char* query;
        const char* keyHeader;
        std::optional<std::string> version;
    };

    const Case cases[] = {
        {"Anthropic reading",
         Provider::anthropic,
         CloudRequest::generate("claude-x.1", R"({"a":1})"),
         "POST",
         "/v1/messages",
         "",
         "x-api-key",
         "2023-06-01"},
        {"Anthropic first page",
         Provider::anthropic,
         CloudRequest::models(std::nullopt),
         "GET",
         "/v1/models",
         "limit=1000",
         "x-api-key",
         "2023-06-01"},
        {"Anthropic next page",
         Provider::anthropic,
         CloudRequest::models("model_01"),
         "GET",
         "/v1/models",
         "limit=1000&after_id=model_01",
         "x-api-key",
         "2023-06-01"},
        {"Gemini reading",
         Provider::gemini,
         CloudRequest::generate("gemini-2.5-flash", R"({"a":1})"),
         "POST",
         "/v1beta/models/gemini-2.5-flash:generateContent",
         "",
         "x-goog-api-key",
         std::nullopt},
        // A token is sent exactly as given, "+", "/" and "=" included.
        {"Gemini next page",
         Provider::gemini,
         CloudRequest::models("Ab+c/d=="),
         "GET",
         "/v1beta/models",
         "pageSize=1000&pageToken=Ab%2Bc%2Fd%3D%3D",
         "x-goog-api-key",
         std::nullopt},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        LoopbackHttpServer server;
        server.respond(row.path, ScriptedAnswer::json(200, {{"ok", true}}));
        CloudHTTPTransport transport = transportFor(server.baseURL());
        const CloudHTTPResponse response = send(transport, row.provider, row.request);
        EXPECT_EQ(response.status, 200);
        EXPECT_EQ(response.body, R"({"ok":true})");
        ASSERT_EQ(server.requestCount(), 1u);
        const RecordedRequest received = server.requests().front();
        EXPECT_EQ(received.method, row.method);
        EXPECT_EQ(received.path, row.path);
        EXPECT_EQ(received.query, row.query);
        EXPECT_EQ(received.header("Content-Type"), "application/json");
        EXPECT_EQ(received.header(row.keyHeader), "key-123");
        EXPECT_EQ(received.header("anthropic-version"), row.version);
        EXPECT_FALSE(received.header("Authorization"));
        EXPECT_EQ(received.body, row.request.kind == CloudRequest::Kind::generate ? R"({"a":1})" : "");
    }
}

TEST_F(CloudTransportTest, requestsThatCannotBeMadeAreRefusedBeforeAnyConnection)
{
    LoopbackHttpServer server;
    CloudHTTPTransport transport = transportFor(server.baseURL());
    const ProviderFailure refused = ProviderFailure::invalidProviderResponse();
    EXPECT_EQ(failureOf(transport, Provider::gemini, CloudRequest::generate("gemini pro", "{}")), refused);
    EXPECT_EQ(failureOf(transport, Provider::anthropic, CloudRequest::generate("", "{}")), refused);
    EXPECT_EQ(failureOf(transport, Provider::anthropic, CloudRequest::generate("../v1/x", "{}")), refused);
    EXPECT_EQ(failureOf(transport, Provider::gemini, CloudRequest::models(std::string(4097, 't'))), refused);
    EXPECT_EQ(failureOf(transport, Provider::gemini, CloudRequest::models(std::string())), refused);
    EXPECT_EQ(failureOf(transport, Provider::openAI, CloudRequest::models(std::nullopt)), refused);
    EXPECT_EQ(failureOf(transport, Provider::ollama, CloudRequest::models(std::nullopt)), refused);
    const ProviderFailure timeout(
        "execution_timeout", "The model request reached its time limit. Try a smaller model or screenshot region.");
    EXPECT_EQ(failureOf(transport, Provider::anthropic, CloudRequest::generate("m", "{}"), 0), timeout);
    EXPECT_EQ(server.requestCount(), 0u);
    // A page token of 4096 bytes is still sent.
    server.respond("/v1beta/models", ScriptedAnswer::json(200, nlohmann::json::object()));
    EXPECT_EQ(send(transport, Provider::gemini, CloudRequest::models(std::string(4096, 't'))).status, 200);
}

TEST_F(CloudTransportTest, answersOverTheLimitLostConnectionsAndTimeOutsHaveTheirFailures)
{
    const std::string exact(limit, 'x');

    struct Case
    {
        const char* name;
        Provider provider;
        RawHttpServer::Script script;
        double timeout;
        std::optional<ProviderFailure> failure;
    };

    const ProviderFailure anthropicTooLarge(
        "budget_exceeded",
        "The Anthropic request reached its size limit. Try a smaller screenshot region or fewer fields.");
    const Case cases[] = {
        {"chunked body of exactly the limit",
         Provider::anthropic,
         {RawHttpServer::send(RawHttpServer::head(200, {{"Transfer-Encoding", "chunked"}}) +
                              RawHttpServer::chunked(exact))},
         20,
         std::nullopt},
        {"chunked body one byte over the limit",
         Provider::anthropic,
         {RawHttpServer::send(RawHttpServer::head(200, {{"Transfer-Encoding", "chunked"}}) +
                              RawHttpServer::chunked(exact + "x"))},
         20,
         anthropicTooLarge},
        {"announced length one byte over the limit",
         Provider::anthropic,
         {RawHttpServer::send(RawHttpServer::head(200, {{"Content-Length", std::to_string(limit + 1)}})),
          RawHttpServer::hold()},
         20,
         anthropicTooLarge},
        {"reset",
         Provider::gemini,
         {RawHttpServer::reset()},
         20,
         ProviderFailure("provider_network", "Could not reach Gemini. Check your connection and try again.")},
        {"no answer within the time-out",
         Provider::gemini,
         {RawHttpServer::hold()},
         0.3,
         ProviderFailure("execution_timeout",
                         "The model request reached its time limit. Try a smaller model or screenshot region.")},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        RawHttpServer server;
        server.play(row.script);
        CloudHTTPTransport transport = transportFor(server.baseURL());
        EXPECT_EQ(failureOf(transport, row.provider, CloudRequest::generate("m-1", "{}"), row.timeout), row.failure);
    }
}

TEST_F(CloudTransportTest, cancellingGivesTheCancellationNotANetworkFailure)
{
    RawHttpServer server;
    server.play({RawHttpServer::hold()});
    CloudHTTPTransport transport = transportFor(server.baseURL());
    std::stop_source stop;
    auto task =
        transport.send(Provider::anthropic, CloudRequest::generate("m", "{}"), "k", limit, 20, stop.get_token());
    waitUntil([&] { return server.requestCount() == 1; });
    stop.request_stop();
    EXPECT_THROW(waitBounded(std::move(task), 5s), CancelledError);
}

} // namespace
