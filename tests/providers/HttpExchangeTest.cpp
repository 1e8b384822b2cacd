#include "HttpExchange.h"

#include "BoundedWait.h"
#include "CancelledError.h"
#include "EventLoopTest.h"
#include "LoopbackHttpServer.h"
#include "RawHttpServer.h"
#include "VirtualTime.h"
#include "WaitUntil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using namespace tavlen;
using namespace tavlen::test;

namespace {

constexpr std::int64_t limit = 1024;

HttpExchangeRequest requestTo(const std::string& url, std::optional<std::string> body = std::nullopt)
{
    HttpExchangeRequest request;
    request.url = QUrl(QString::fromStdString(url));
    request.body = std::move(body);
    request.headers = {{"Content-Type", "application/json"}, {"x-api-key", "sk-test-123"}};
    request.byteLimit = limit;
    request.timeout = 20s;
    return request;
}

HttpExchangeResponse exchange(HttpExchangeRequest request, std::stop_token stop = {})
{
    return waitBounded(exchangeHttp(std::move(request), std::move(stop)));
}

std::optional<HttpExchangeFailure::Kind> failureOf(HttpExchangeRequest request)
{
    try {
        exchange(std::move(request));
    } catch (const HttpExchangeFailure& failure) {
        return failure.kind();
    }
    return std::nullopt;
}

class HttpExchangeTest : public EventLoopTest
{};

TEST_F(HttpExchangeTest, postSendsTheBodyAndHeadersAndGivesStatusAndBody)
{
    LoopbackHttpServer server;
    server.respond("/v1/messages", ScriptedAnswer::json(201, {{"ok", true}}));

    const HttpExchangeResponse response = exchange(requestTo(server.baseURL() + "/v1/messages", R"({"a":"\/"})"));

    EXPECT_EQ(response.status, 201);
    EXPECT_EQ(response.body, R"({"ok":true})");
    ASSERT_EQ(server.requestCount(), 1u);
    const RecordedRequest received = server.requests().front();
    EXPECT_EQ(received.method, "POST");
    EXPECT_EQ(received.path, "/v1/messages");
    EXPECT_EQ(received.body, R"({"a":"\/"})");
    EXPECT_EQ(received.header("Content-Type"), "application/json");
    EXPECT_EQ(received.header("x-api-key"), "sk-test-123");
    EXPECT_FALSE(received.header("Cookie"));
    EXPECT_FALSE(received.header("Authorization"));
}

TEST_F(HttpExchangeTest, getSendsNoBodyAndKeepsTheQuery)
{
    LoopbackHttpServer server;
    server.respond("/v1/models", ScriptedAnswer::json(200, {{"data", nlohmann::json::array()}}));

    const HttpExchangeResponse response =
        exchange(requestTo(server.baseURL() + "/v1/models?limit=1000&after_id=a%2Fb"));

    EXPECT_EQ(response.status, 200);
    const RecordedRequest received = server.requests().at(0);
    EXPECT_EQ(received.method, "GET");
    EXPECT_EQ(received.query, "limit=1000&after_id=a%2Fb");
    EXPECT_TRUE(received.body.empty());
}

TEST_F(HttpExchangeTest, errorStatusesAreAnswersWithTheirBodies)
{
    LoopbackHttpServer server;
    for (const int status : {400, 401, 403, 404, 407, 408, 409, 410, 429, 500, 501, 503, 599}) {
        SCOPED_TRACE(status);
        server.respond("/x", ScriptedAnswer::json(status, {{"error", {{"message", "no"}}}}));
        const HttpExchangeResponse response = exchange(requestTo(server.baseURL() + "/x", "{}"));
        EXPECT_EQ(response.status, status);
        EXPECT_EQ(response.body, R"({"error":{"message":"no"}})");
    }
}

TEST_F(HttpExchangeTest, cookiesAreNeitherStoredNorSent)
{
    LoopbackHttpServer server;
    ScriptedAnswer answer = ScriptedAnswer::json(200, nlohmann::json::object());
    answer.headers = {{"Set-Cookie", "session=abc; Path=/"}};
    server.respond("/c", answer);

    exchange(requestTo(server.baseURL() + "/c"));
    exchange(requestTo(server.baseURL() + "/c"));

    ASSERT_EQ(server.requestCount(), 2u);
    EXPECT_FALSE(server.requests().at(1).header("Cookie"));
}

TEST_F(HttpExchangeTest, aRedirectIsReturnedNotFollowed)
{
    LoopbackHttpServer server;
    ScriptedAnswer redirect;
    redirect.status = 302;
    redirect.body = "moved";
    redirect.headers = {{"Location", server.baseURL() + "/elsewhere"}};
    server.respond("/start", redirect);
    server.respond("/elsewhere", ScriptedAnswer::json(200, nlohmann::json::object()));

    const HttpExchangeResponse response = exchange(requestTo(server.baseURL() + "/start", "{}"));

    EXPECT_EQ(response.status, 302);
    EXPECT_EQ(response.body, "moved");
    EXPECT_EQ(server.requestCount(), 1u);
}

TEST_F(HttpExchangeTest, theByteLimitHoldsWhileTheBodyStreamsIn)
{
    const std::string exact(limit, 'x');
    const std::string over(limit + 1, 'x');

    struct Case
    {
        const char* name;
        RawHttpServer::Script script;
        std::optional<HttpExchangeFailure::Kind> failure;
    };

    const Case cases[] = {
        {"announced length of exactly the limit", {RawHttpServer::send(RawHttpServer::answer(200, exact))}, {}},
        {"chunked body of exactly the limit",
         {RawHttpServer::send(RawHttpServer::head(200, {{"Transfer-Encoding", "chunked"}}) +
                              RawHttpServer::chunked(exact, 100))},
         {}},
        {"chunked body one byte over the limit",
         {RawHttpServer::send(RawHttpServer::head(200, {{"Transfer-Encoding", "chunked"}}) +
                              RawHttpServer::chunked(over, 100))},
         HttpExchangeFailure::Kind::tooLarge},
        {"body without a length, one byte over the limit, ended by closing",
         {RawHttpServer::send(RawHttpServer::head(200, {}) + over)},
         HttpExchangeFailure::Kind::tooLarge},
        {"error status with a body over the limit",
         {RawHttpServer::send(RawHttpServer::answer(500, over))},
         HttpExchangeFailure::Kind::tooLarge},
        // Refused on the announcement alone: the server never sends the body, and the exchange does not wait for it.
        {"announced length over the limit, body never sent",
         {RawHttpServer::send(RawHttpServer::head(200, {{"Content-Length", std::to_string(limit + 1)}})),
          RawHttpServer::hold()},
         HttpExchangeFailure::Kind::tooLarge},
        {"announced length that the body does not reach",
         {RawHttpServer::send(RawHttpServer::head(200, {{"Content-Length", "100"}}) + std::string(50, 'x'))},
         HttpExchangeFailure::Kind::network},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        RawHttpServer server;
        server.play(row.script);
        std::optional<HttpExchangeFailure::Kind> failure;
        std::string body;
        try {
            body = exchange(requestTo(server.baseURL() + "/b", "{}")).body;
        } catch (const HttpExchangeFailure& thrown) {
            failure = thrown.kind();
        }
        EXPECT_EQ(failure, row.failure);
        if (!row.failure) {
            EXPECT_EQ(body, exact);
        }
    }
}

TEST_F(HttpExchangeTest, theTimeLimitCoversTheWholeExchange)
{
    struct Case
    {
        const char* name;
        RawHttpServer::Script script;
    };

    const Case cases[] = {
        // A byte every 20 ms keeps any idle limit from firing; only a limit on the whole exchange ends it.
        {"a body that drips past the limit",
         {RawHttpServer::send(RawHttpServer::head(200, {{"Content-Length", "100000"}})),
          RawHttpServer::drip(std::string(100000, 'x'), 20ms)}},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        RawHttpServer server;
        server.play(row.script);
        HttpExchangeRequest request = requestTo(server.baseURL() + "/t", "{}");
        request.byteLimit = 1'000'000;
        request.timeout = 300ms;
        EXPECT_EQ(failureOf(request), HttpExchangeFailure::Kind::timedOut);
    }
}

TEST_F(HttpExchangeTest, theTimeLimitRunsOnTheGivenTime)
{
    RawHttpServer server;
    server.play(
        {RawHttpServer::send(RawHttpServer::head(200, {{"Content-Length", "10"}}) + "12345"), RawHttpServer::hold()});
    VirtualTime time;
    HttpExchangeRequest request = requestTo(server.baseURL() + "/t", "{}");
    request.timeout = 60s;
    request.time = &time;
    auto task = exchangeHttp(request, {});
    waitUntil([&] { return server.requestCount() == 1; });
    time.advance(59s);
    EXPECT_FALSE(task.isReady());
    time.advance(1s);
    try {
        waitBounded(std::move(task), 5s);
        ADD_FAILURE() << "the exchange did not time out";
    } catch (const HttpExchangeFailure& failure) {
        EXPECT_EQ(failure.kind(), HttpExchangeFailure::Kind::timedOut);
    }
}

TEST_F(HttpExchangeTest, resetAndRefusedConnectionsAreNetworkFailures)
{
    RawHttpServer server;
    server.play({RawHttpServer::reset()});
    EXPECT_EQ(failureOf(requestTo(server.baseURL() + "/r", "{}")), HttpExchangeFailure::Kind::network);
    EXPECT_EQ(server.requestCount(), 1u);

    const std::string refused = "http://127.0.0.1:" + std::to_string(RawHttpServer::refusedPort()) + "/r";
    EXPECT_EQ(failureOf(requestTo(refused, "{}")), HttpExchangeFailure::Kind::network);
}

// A connection that ends before any byte of an answer fails the exchange, also when the server would answer the
// request on a new connection: Qt may already have sent a GET again (nothing turns that off), but its answer is
// never taken.
TEST_F(HttpExchangeTest, aConnectionCutBeforeAnyAnswerIsANetworkFailure)
{
    struct Row
    {
        const char* name;
        std::optional<std::string> body;
        RawHttpServer::Script cut;
        std::size_t mostRequests;
    };

    const std::vector<Row> rows{
        {"GET, closed", std::nullopt, {}, 2},
        {"GET, reset", std::nullopt, {RawHttpServer::reset()}, 2},
        {"POST, closed", "{}", {}, 1},
        {"POST, reset", "{}", {RawHttpServer::reset()}, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RawHttpServer server;
        server.play({RawHttpServer::send(RawHttpServer::answer(200, R"({"data":[]})"))});
        server.playNext(row.cut);
        EXPECT_EQ(failureOf(requestTo(server.baseURL() + "/v1/models", row.body)), HttpExchangeFailure::Kind::network);
        EXPECT_GE(server.requestCount(), 1u);
        EXPECT_LE(server.requestCount(), row.mostRequests);
    }
}

TEST_F(HttpExchangeTest, cancellingMidRequestAbortsAtOnceWithTheCancellation)
{
    for (const bool fromAnotherThread : {false, true}) {
        SCOPED_TRACE(fromAnotherThread ? "stopped from another thread" : "stopped on the main thread");
        RawHttpServer server;
        server.play({RawHttpServer::send(RawHttpServer::head(200, {{"Content-Length", "10"}}) + "12345"),
                     RawHttpServer::hold()});
        std::stop_source stop;
        auto task = exchangeHttp(requestTo(server.baseURL() + "/slow", "{}"), stop.get_token());
        waitUntil([&] { return server.requestCount() == 1; });
        if (fromAnotherThread) {
            std::thread([&] { stop.request_stop(); }).join();
        } else {
            stop.request_stop();
        }
        EXPECT_THROW(waitBounded(std::move(task), 5s), CancelledError);
    }
}

TEST_F(HttpExchangeTest, aStoppedTokenSendsNothing)
{
    LoopbackHttpServer server;
    std::stop_source stop;
    stop.request_stop();
    EXPECT_THROW(exchange(requestTo(server.baseURL() + "/x", "{}"), stop.get_token()), CancelledError);
    EXPECT_EQ(server.requestCount(), 0u);
}

TEST(HttpExchangeTimeout, secondsBecomeWholeNanosecondsWithoutOverflow)
{
    EXPECT_EQ(exchangeTimeout(1.5), 1500ms);
    EXPECT_EQ(exchangeTimeout(1e-12), 1ns);
    EXPECT_EQ(exchangeTimeout(1e300), std::chrono::nanoseconds::max());
}

} // namespace
