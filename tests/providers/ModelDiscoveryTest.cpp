#include "ModelDiscovery.h"

#include "BoundedWait.h"
#include "CloudHTTPTransport.h"
#include "EventLoopTest.h"
#include "LoopbackHttpServer.h"
#include "MonitorDatabase.h"
#include "OllamaHTTPTransport.h"
#include "OpenAIHTTPTransport.h"
#include "ProviderAnswers.h"
#include "RawHttpServer.h"
#include "SQLiteProviderKeyStore.h"
#include "SqliteStatement.h"
#include "TemporaryDirectory.h"
#include "VirtualTime.h"
#include "WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <string>
#include <vector>

using namespace std::chrono_literals;

namespace tavlen {
namespace {

using Provider = ModelSelection::Provider;

std::vector<std::string> identifiers(const std::vector<ModelSelection>& models)
{
    std::vector<std::string> names;
    for (const ModelSelection& model : models) {
        names.push_back(model.modelIdentifier);
    }
    return names;
}

// The address of a loopback server as a user would type it.
std::string typedHost(int port)
{
    return "127.0.0.1:" + std::to_string(port);
}

class ModelDiscoveryTest : public test::EventLoopTest
{
protected:
    // A discovery whose providers all answer at serverURL, with their time on m_time.
    std::unique_ptr<ModelDiscovery> makeDiscovery(const std::string& serverURL)
    {
        const QUrl base(QString::fromStdString(serverURL));
        auto cloudTransport = std::make_shared<CloudHTTPTransport>(CloudHTTPTransport::BaseURLs{base, base}, m_time);
        return std::make_unique<ModelDiscovery>(
            ModelDiscovery::KeyStores{
                {Provider::openAI, m_keys[0]}, {Provider::anthropic, m_keys[1]}, {Provider::gemini, m_keys[2]}},
            std::make_shared<CloudModelClient>(cloudTransport, m_time),
            std::make_shared<OllamaClient>(std::make_shared<OllamaHTTPTransport>(m_time)),
            std::make_shared<OpenAIHTTPTransport>(QUrl(QString::fromStdString(serverURL + "/v1/")), m_time));
    }

    void saveKeys()
    {
        for (std::size_t i = 0; i < m_keys.size(); ++i) {
            test::waitBounded(m_keys[i]->save("sk-test-" + std::to_string(i)));
        }
    }

    // Shows the sheet on provider (Ollama: typed host, then Connect) and waits for the load to end.
    void browse(ModelDiscovery& discovery, Provider provider, const std::string& host = {})
    {
        discovery.setProvider(provider);
        discovery.appear();
        if (provider == Provider::ollama) {
            discovery.setHost(host);
            discovery.refresh();
        }
        test::waitUntil([&] { return !discovery.isConnecting(); });
    }

    test::TemporaryDirectory m_directory;
    MonitorDatabase m_database{m_directory / "Tavlen.sqlite"};
    std::vector<std::shared_ptr<SQLiteProviderKeyStore>> m_keys{
        std::make_shared<SQLiteProviderKeyStore>(m_database, Provider::openAI),
        std::make_shared<SQLiteProviderKeyStore>(m_database, Provider::anthropic),
        std::make_shared<SQLiteProviderKeyStore>(m_database, Provider::gemini)};
    test::VirtualTime m_time;
    test::LoopbackHttpServer m_server;
    std::unique_ptr<ModelDiscovery> m_discovery = makeDiscovery(m_server.baseURL());
};

TEST_F(ModelDiscoveryTest, startsIdleOnOpenAIWithTheLocalOllamaServer)
{
    EXPECT_EQ(m_discovery->provider(), Provider::openAI);
    EXPECT_EQ(m_discovery->host(), "http://localhost:11434");
    EXPECT_EQ(m_discovery->statusText(), "Not connected");

    // Nothing loads while the sheet is not shown.
    m_discovery->refresh();
    m_discovery->setProvider(Provider::gemini);
    EXPECT_FALSE(m_discovery->isConnecting());
    EXPECT_EQ(m_server.requestCount(), 0u);
}

TEST_F(ModelDiscoveryTest, withoutASavedKeyTheStatusAsksForItAndNothingIsSent)
{
    for (const Provider provider : {Provider::openAI, Provider::anthropic, Provider::gemini}) {
        SCOPED_TRACE(ModelSelection::label(provider));
        browse(*m_discovery, provider);
        EXPECT_TRUE(m_discovery->needsAPIKey());
        EXPECT_EQ(m_discovery->statusText(),
                  std::string("Save your ") + ModelSelection::label(provider) + " API key to load available models.");
        m_discovery->disappear();
    }
    EXPECT_EQ(m_server.requestCount(), 0u);
}

TEST_F(ModelDiscoveryTest, eachProvidersDocumentedListingGivesItsModelsInNaturalOrder)
{
    saveKeys();
    nlohmann::json openAI = test::openAIModelList({"gpt-10", "gpt-9", "gpt-9"});
    openAI["data"].push_back({{"object", "model"}, {"owned_by", "system"}});
    // OpenAI and Anthropic share the path; OpenAI sends its key as a bearer token.
    m_server.setHandler([&](const test::RecordedRequest& request) {
        if (request.path == "/v1/models" && request.header("Authorization").value_or("").starts_with("Bearer")) {
            return test::ScriptedAnswer::json(200, openAI);
        }
        if (request.path == "/v1/models") {
            return test::ScriptedAnswer::json(
                200,
                request.query.find("after_id") == std::string::npos
                    ? test::anthropicModelPage({"claude-opus-4-1", "claude-3-haiku"}, true)
                    : test::anthropicModelPage({"claude-sonnet-4-5"}, false));
        }
        if (request.path == "/v1beta/models") {
            return test::ScriptedAnswer::json(200,
                                              request.query.find("pageToken") == std::string::npos
                                                  ? test::geminiModelPage({"gemini-2.5-pro"}, "page-2")
                                                  : test::geminiModelPage({"gemini-2.0-flash"}));
        }
        if (request.path == "/api/tags") {
            return test::ScriptedAnswer::json(200, test::ollamaTags({"qwen2.5vl:7b", "llama3.2-vision:latest"}));
        }
        return test::ScriptedAnswer{404, "", "text/plain", {}};
    });
    const std::string host = "http://" + typedHost(m_server.port());

    struct Case
    {
        Provider provider;
        std::vector<std::string> identifiers; // Anthropic's and Gemini's from both pages
    };

    const Case cases[] = {
        {Provider::openAI, {"gpt-9", "gpt-10"}},
        {Provider::anthropic, {"claude-3-haiku", "claude-opus-4-1", "claude-sonnet-4-5"}},
        {Provider::gemini, {"gemini-2.0-flash", "gemini-2.5-pro"}},
        {Provider::ollama, {"llama3.2-vision:latest", "qwen2.5vl:7b"}},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(ModelSelection::label(row.provider));
        browse(*m_discovery, row.provider, typedHost(m_server.port()));
        EXPECT_EQ(identifiers(m_discovery->models()), row.identifiers);
        EXPECT_TRUE(m_discovery->connected());
        EXPECT_EQ(m_discovery->statusText(), "Connected");

        // Nothing is picked for the user; a listed pick is the selection, an unlisted one is none.
        EXPECT_EQ(m_discovery->selection(), std::nullopt);
        m_discovery->setSelectedModelIdentifier("not-listed");
        EXPECT_EQ(m_discovery->selection(), std::nullopt);
        m_discovery->setSelectedModelIdentifier(row.identifiers.back());
        const ModelSelection expected{row.provider,
                                      row.identifiers.back(),
                                      row.provider == Provider::ollama ? std::optional(host) : std::nullopt};
        EXPECT_EQ(m_discovery->selection(), expected);
        m_discovery->disappear();
    }
    const test::RecordedRequest openAIRequest = m_server.requests().at(0);
    EXPECT_EQ(openAIRequest.method, "GET");
    EXPECT_EQ(openAIRequest.header("Authorization"), "Bearer sk-test-0");
}

TEST_F(ModelDiscoveryTest, aListingWithoutUsableModelsConnectsWithNone)
{
    saveKeys();
    m_server.respond("/v1/models",
                     test::ScriptedAnswer::json(200, {{"data", {{{"id", "has space"}}, {{"id", 4}}, "gpt"}}}));
    browse(*m_discovery, Provider::openAI);

    EXPECT_TRUE(m_discovery->connected());
    EXPECT_EQ(m_discovery->statusText(), "Connected \u2014 no models available");
    m_discovery->setSelectedModelIdentifier("gpt");
    EXPECT_EQ(m_discovery->selection(), std::nullopt);
}

TEST_F(ModelDiscoveryTest, aFailedListingShowsItsSentenceOnce)
{
    saveKeys();
    const std::string openAIIncomplete =
        "OpenAI returned an incomplete or unsupported tool response. Choose Test step to retry.";

    struct Case
    {
        const char* name;
        Provider provider;
        test::ScriptedAnswer answer;
        std::string host;
        std::string error;
    };

    const Case cases[] = {
        {"an OpenAI answer without data",
         Provider::openAI,
         test::ScriptedAnswer::json(200, {{"object", "list"}}),
         "",
         openAIIncomplete},
        {"an OpenAI answer whose data is no array",
         Provider::openAI,
         test::ScriptedAnswer::json(200, {{"data", {{"id", "gpt"}}}}),
         "",
         openAIIncomplete},
        {"an OpenAI body that is not JSON",
         Provider::openAI,
         test::ScriptedAnswer{200, "{\"data\": [", "application/json", {}},
         "",
         "The model returned incomplete or invalid readings. Review the region and instructions, then try again."},
        {"a refused OpenAI key",
         Provider::openAI,
         test::ScriptedAnswer::json(401, {{"error", {{"code", "invalid_api_key"}}}}),
         "",
         "OpenAI did not authorize this request. Check your API key and model access in Settings."},
        {"a Gemini listing of the wrong shape",
         Provider::gemini,
         test::ScriptedAnswer::json(200, {{"models", "none"}}),
         "",
         "Gemini returned an incomplete or invalid response. Review the model, region, and instructions, then try "
         "again."},
        {"an Ollama address that is no server",
         Provider::ollama,
         test::ScriptedAnswer::json(200, test::ollamaTags({})),
         "ftp://localhost",
         "Enter an HTTP or HTTPS server host, such as http://localhost:11434."},
        {"an Ollama server without a models list",
         Provider::ollama,
         test::ScriptedAnswer::json(200, {{"tags", nlohmann::json::array()}}),
         typedHost(m_server.port()),
         "The model returned incomplete or invalid readings. Review the region and instructions, then try again."},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        m_server.setHandler([answer = row.answer](const test::RecordedRequest&) { return answer; });
        browse(*m_discovery, row.provider, row.host);
        EXPECT_EQ(m_discovery->error(), row.error);
        EXPECT_EQ(m_discovery->statusText(), "Connection failed");
        EXPECT_TRUE(m_discovery->models().empty());
        EXPECT_FALSE(m_discovery->connected());
        m_discovery->disappear();
        EXPECT_EQ(m_discovery->statusText(), "Not connected");
    }
}

TEST_F(ModelDiscoveryTest, aSavedKeyThatCannotBeReadFailsBeforeAnyRequest)
{
    test::waitBounded(m_database.write([](SqliteConnection& connection) {
        SqliteStatement statement(connection, "INSERT INTO provider_credentials VALUES ('openAI', 'sk with space')");
        statement.execute();
    }));
    browse(*m_discovery, Provider::openAI);

    EXPECT_EQ(m_discovery->error(), "The saved API key could not be read. Replace it in Settings.");
    EXPECT_EQ(m_discovery->statusText(), "Connection failed");
    EXPECT_EQ(m_server.requestCount(), 0u);
}

// Each listing gives up at its own deadline, on the boot-time clock: OpenAI's transport reports it as a network
// failure, the others as the model request's time limit.
TEST_F(ModelDiscoveryTest, eachListingGivesUpAtItsDeadline)
{
    saveKeys();
    test::RawHttpServer silent;
    silent.play({test::RawHttpServer::hold()});
    const std::unique_ptr<ModelDiscovery> discovery = makeDiscovery(silent.baseURL());
    const std::string timeLimit = "The model request reached its time limit. Try a smaller model or screenshot region.";

    struct Case
    {
        Provider provider;
        std::chrono::milliseconds limit;
        std::string error;
    };

    const Case cases[] = {
        {Provider::openAI, 15s, "Could not reach OpenAI. Check your connection and try again."},
        {Provider::anthropic, 15s, timeLimit},
        {Provider::gemini, 15s, timeLimit},
        {Provider::ollama, 5s, timeLimit},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(ModelSelection::label(row.provider));
        const std::size_t before = silent.requestCount();
        discovery->setProvider(row.provider);
        discovery->appear();
        if (row.provider == Provider::ollama) {
            discovery->setHost(typedHost(silent.port()));
            discovery->refresh();
        }
        test::waitUntil([&] { return silent.requestCount() > before; });

        m_time.advance(row.limit - 1ms);
        EXPECT_TRUE(discovery->isConnecting());
        EXPECT_EQ(discovery->statusText(), "Connecting\u2026");
        m_time.advance(1ms);
        test::waitUntil([&] { return !discovery->isConnecting(); });
        EXPECT_EQ(discovery->error(), row.error);
        discovery->disappear();
    }
}

// A load that a newer one replaced, or that a reset abandoned, changes nothing when it ends.
TEST_F(ModelDiscoveryTest, aSupersededListingIsDropped)
{
    saveKeys();

    // The server cannot stop while its handler waits, so the answer is released however the test ends.
    struct Gate
    {
        std::promise<void> promise;
        bool isOpen = false;

        void open()
        {
            if (!std::exchange(isOpen, true)) {
                promise.set_value();
            }
        }

        ~Gate() { open(); }
    } gate;

    const std::shared_future<void> released = gate.promise.get_future().share();
    const auto lateAnswerGiven = std::make_shared<std::atomic<bool>>(false);
    m_server.setHandler([released, lateAnswerGiven](const test::RecordedRequest& request) {
        if (request.path == "/v1/models" && request.header("Authorization").value_or("").starts_with("Bearer")) {
            released.wait();
            *lateAnswerGiven = true;
            return test::ScriptedAnswer::json(200, test::openAIModelList({"gpt-late"}));
        }
        return test::ScriptedAnswer::json(200, test::anthropicModelPage({"claude-now"}, false));
    });

    m_discovery->appear();
    test::waitUntil([&] { return m_server.requestCount() > 0; });
    m_discovery->setSelectedModelIdentifier("gpt-late");
    EXPECT_EQ(m_discovery->selection(), std::nullopt); // nothing is selectable while connecting

    m_discovery->setProvider(Provider::anthropic);
    test::waitUntil([&] { return !m_discovery->isConnecting(); });
    EXPECT_EQ(identifiers(m_discovery->models()), std::vector<std::string>{"claude-now"});

    gate.open();
    test::waitUntil([&] { return lateAnswerGiven->load(); });
    QCoreApplication::processEvents();
    EXPECT_EQ(identifiers(m_discovery->models()), std::vector<std::string>{"claude-now"});
    EXPECT_FALSE(m_discovery->isConnecting());
    EXPECT_EQ(m_discovery->statusText(), "Connected");
}

TEST_F(ModelDiscoveryTest, ollamaLoadsOnlyOnConnectAndForgetsItsListWhenTheAddressChanges)
{
    saveKeys();
    m_server.respond("/api/tags", test::ScriptedAnswer::json(200, test::ollamaTags({"llava"})));
    m_server.respond("/v1beta/models", test::ScriptedAnswer::json(200, test::geminiModelPage({"gemini-2.5-pro"})));

    m_discovery->setProvider(Provider::ollama);
    m_discovery->appear();
    EXPECT_FALSE(m_discovery->isConnecting());
    EXPECT_EQ(m_discovery->statusText(), "Not connected");

    m_discovery->setHost(typedHost(m_server.port()));
    m_discovery->refresh();
    test::waitUntil([&] { return !m_discovery->isConnecting(); });
    ASSERT_EQ(identifiers(m_discovery->models()), std::vector<std::string>{"llava"});
    m_discovery->setSelectedModelIdentifier("llava");

    const std::size_t requests = m_server.requestCount();
    m_discovery->setHost(typedHost(m_server.port()) + "/");
    EXPECT_TRUE(m_discovery->models().empty());
    EXPECT_EQ(m_discovery->selectedModelIdentifier(), std::nullopt);
    EXPECT_EQ(m_discovery->statusText(), "Not connected");
    EXPECT_EQ(m_server.requestCount(), requests);

    m_discovery->setProvider(Provider::gemini);
    EXPECT_TRUE(m_discovery->isConnecting());
    test::waitUntil([&] { return !m_discovery->isConnecting(); });
    EXPECT_EQ(identifiers(m_discovery->models()), std::vector<std::string>{"gemini-2.5-pro"});
}

} // namespace
} // namespace tavlen
