#include "OllamaClient.h"

#include "BoundedWait.h"
#include "CancelledError.h"
#include "LoopbackHttpServer.h"
#include "MonitorStoreError.h"
#include "OllamaHTTPTransport.h"
#include "ProviderFailure.h"
#include "RawHttpServer.h"
#include "WaitUntil.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace std::chrono_literals;
using namespace tavlen;
using namespace tavlen::test;

namespace {

constexpr std::int64_t limit = 2'097'152;

// The address of a loopback server as a user would type it: host and port, no scheme.
std::string typedHost(int port)
{
    return "127.0.0.1:" + std::to_string(port);
}

std::optional<std::string> failureCode(QCoro::Task<std::string> task)
{
    try {
        waitBounded(std::move(task));
    } catch (const ProviderFailure& failure) {
        return failure.code();
    }
    return std::nullopt;
}

class OllamaClientTest : public testing::Test
{
protected:
    void TearDown() override { flushDeferredDeletes(); }

    OllamaClient m_client{std::make_shared<OllamaHTTPTransport>()};
};

TEST_F(OllamaClientTest, theListingIsAGetOfTagsAtTheNormalisedHost)
{
    LoopbackHttpServer server;
    server.respond("/api/tags", ScriptedAnswer::json(200, {{"models", nlohmann::json::array()}}));

    EXPECT_TRUE(waitBounded(m_client.listModels(typedHost(server.port()), {})).empty());

    const RecordedRequest received = server.requests().at(0);
    EXPECT_EQ(received.method, "GET");
    EXPECT_EQ(received.path, "/api/tags");
    EXPECT_EQ(received.query, "");
    EXPECT_EQ(received.header("Content-Type"), "application/json");
    EXPECT_TRUE(received.body.empty());
}

TEST_F(OllamaClientTest, entriesThatNameNoUsableModelArePassedOverAndTheRestSorted)
{
    LoopbackHttpServer server;
    const nlohmann::json models = nlohmann::json::array({
        {{"name", "m-10"}, {"size", 4.9e9}, {"digest", "sha256:ab"}, {"details", {{"quantization_level", "Q4_K_M"}}}},
        {{"name", "m-9"}, {"size", -1}},
        {{"name", "m-9"}, {"size", 7}}, // a second entry of one name: the first stays
        {{"name", "big"}, {"size", 1.5e19}},
        {{"name", "frac"}, {"size", 12.9}, {"digest", 5}, {"details", "none"}},
        {{"name", "has space"}},
        {{"model", "no name"}},
        nlohmann::json::object(),
        "a string",
    });
    server.respond("/api/tags", ScriptedAnswer::json(200, {{"models", models}}));

    const std::vector<DiscoveredModel> listed = waitBounded(m_client.listModels(typedHost(server.port()), {}));

    const std::string host = "http://127.0.0.1:" + std::to_string(server.port());
    const auto model = [&](std::string name, std::string digest, std::int64_t bytes, std::optional<std::string> level) {
        return DiscoveredModel{
            ModelSelection{ModelSelection::Provider::ollama, std::move(name), host}, std::move(digest), bytes, level};
    };
    EXPECT_EQ(listed,
              (std::vector<DiscoveredModel>{model("big", "", 0, std::nullopt),
                                            model("frac", "", 12, std::nullopt),
                                            model("m-9", "", 0, std::nullopt),
                                            model("m-10", "sha256:ab", 4'900'000'000, "Q4_K_M")}));
}

TEST_F(OllamaClientTest, aListingWithoutItsArrayIsAnInvalidResponse)
{
    LoopbackHttpServer server;
    for (const std::string body : {R"({"data":[]})", R"({"models":{}})", "[]", "not json"}) {
        SCOPED_TRACE(body);
        ScriptedAnswer answer;
        answer.body = body;
        server.respond("/api/tags", answer);
        try {
            waitBounded(m_client.listModels(typedHost(server.port()), {}));
            ADD_FAILURE() << "listed";
        } catch (const ProviderFailure& failure) {
            EXPECT_EQ(failure, ProviderFailure::invalidProviderResponse());
        }
    }
}

TEST_F(OllamaClientTest, aModelIsResolvedOnlyByItsExactIdentifierAndHost)
{
    LoopbackHttpServer server;
    server.respond("/api/tags",
                   ScriptedAnswer::json(200, {{"models", {{{"name", "Llava:7b"}}, {{"name", "llava:13b"}}}}}));
    const std::string host = "http://127.0.0.1:" + std::to_string(server.port());

    const DiscoveredModel found =
        waitBounded(m_client.resolveModel({ModelSelection::Provider::ollama, "llava:13b", host}, {}));
    EXPECT_EQ(found.selection.modelIdentifier, "llava:13b");

    try {
        waitBounded(m_client.resolveModel({ModelSelection::Provider::ollama, "llava:7b", host}, {}));
        ADD_FAILURE() << "resolved a model listed only in another letter case";
    } catch (const ProviderFailure& failure) {
        EXPECT_EQ(failure.code(), "ollama_model_missing");
    }
    // A stored selection must hold its host in normal form.
    EXPECT_THROW(waitBounded(m_client.resolveModel(
                     {ModelSelection::Provider::ollama, "llava:13b", typedHost(server.port())}, {})),
                 MonitorStoreError);
    EXPECT_EQ(server.requestCount(), 2u);
}

TEST_F(OllamaClientTest, theTransportKeepsToItsLimitsAndNamesWhatWentWrong)
{
    OllamaHTTPTransport transport;
    const std::string over(limit + 1, 'x');

    struct Case
    {
        const char* name;
        RawHttpServer::Script script;
        double timeout;
        std::optional<std::string> code;
    };

    const Case cases[] = {
        {"a body of exactly the limit",
         {RawHttpServer::send(RawHttpServer::answer(200, std::string(limit, 'x')))},
         20,
         std::nullopt},
        // The limit comes before the status: an oversized error body is not a status failure.
        {"an error body over the limit",
         {RawHttpServer::send(RawHttpServer::answer(500, over))},
         20,
         "invalid_provider_response"},
        {"an announced length over the limit",
         {RawHttpServer::send(RawHttpServer::head(200, {{"Content-Length", std::to_string(limit + 1)}})),
          RawHttpServer::hold()},
         20,
         "invalid_provider_response"},
        {"a redirect", {RawHttpServer::send(RawHttpServer::answer(301, "{}"))}, 20, "ollama_http_301"},
        {"a reset", {RawHttpServer::reset()}, 20, "ollama_unavailable"},
        {"no answer in time", {RawHttpServer::hold()}, 0.3, "execution_timeout"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        RawHttpServer server;
        server.play(row.script);
        EXPECT_EQ(failureCode(transport.send(typedHost(server.port()), "chat", "{}", limit, row.timeout, {})),
                  row.code);
    }
    EXPECT_EQ(failureCode(transport.send(typedHost(RawHttpServer::refusedPort()), "tags", std::nullopt, limit, 20, {})),
              "ollama_unavailable");
    EXPECT_THROW(waitBounded(transport.send("ftp://host", "tags", std::nullopt, limit, 20, {})), MonitorStoreError);
}

TEST_F(OllamaClientTest, cancellingGivesTheCancellationNotAnUnreachableServer)
{
    RawHttpServer server;
    server.play({RawHttpServer::hold()});
    OllamaHTTPTransport transport;
    std::stop_source stop;
    auto task = transport.send(typedHost(server.port()), "chat", "{}", limit, 20, stop.get_token());
    waitUntil([&] { return server.requestCount() == 1; });
    stop.request_stop();
    EXPECT_THROW(waitBounded(std::move(task), 5s), CancelledError);
}

} // namespace
