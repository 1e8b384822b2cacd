#include "CloudModelClient.h"

#include "BoundedWait.h"
#include "CloudHTTPTransport.h"
#include "LoopbackHttpServer.h"
#include "ProviderFailure.h"
#include "VirtualTime.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using namespace std::chrono_literals;
using namespace tavlen;
using namespace tavlen::test;
using Provider = ModelSelection::Provider;

namespace {

// The real transport, after which each page has taken `pageTime` of the listing's time.
class SlowPages final : public CloudTransport
{
public:
    SlowPages(std::shared_ptr<CloudTransport> inner, VirtualTime& time, std::chrono::seconds pageTime)
        : m_inner(std::move(inner))
        , m_time(time)
        , m_pageTime(pageTime)
    {}

    std::vector<double> timeouts;

    QCoro::Task<CloudHTTPResponse> send(Provider provider,
                                        CloudRequest request,
                                        std::string apiKey,
                                        std::int64_t byteLimit,
                                        double timeoutSeconds,
                                        std::stop_token stop) override
    {
        timeouts.push_back(timeoutSeconds);
        auto sending = m_inner->send(provider, std::move(request), std::move(apiKey), byteLimit, timeoutSeconds, stop);
        CloudHTTPResponse response = co_await std::move(sending);
        m_time.advance(m_pageTime);
        co_return response;
    }

private:
    std::shared_ptr<CloudTransport> m_inner;
    VirtualTime& m_time;
    std::chrono::seconds m_pageTime;
};

class CloudModelClientTest : public testing::Test
{
protected:
    void TearDown() override { flushDeferredDeletes(); }

    std::shared_ptr<CloudTransport> transport()
    {
        const QUrl base(QString::fromStdString(m_server.baseURL()));
        return std::make_shared<CloudHTTPTransport>(CloudHTTPTransport::BaseURLs{base, base});
    }

    std::vector<ModelSelection> list(Provider provider)
    {
        const CloudModelClient client(transport(), m_time);
        return waitBounded(client.listModels(provider, "key", {}));
    }

    std::optional<ProviderFailure> listingFailure(Provider provider)
    {
        try {
            list(provider);
        } catch (const ProviderFailure& failure) {
            return failure;
        }
        return std::nullopt;
    }

    static std::vector<std::string> identifiers(const std::vector<ModelSelection>& models)
    {
        std::vector<std::string> names;
        for (const ModelSelection& model : models) {
            names.push_back(model.modelIdentifier);
        }
        return names;
    }

    LoopbackHttpServer m_server;
    VirtualTime m_time;
};

TEST_F(CloudModelClientTest, anthropicPagesAreFollowedAndMergedInNaturalOrder)
{
    m_server.respondInTurn(
        "/v1/models",
        {ScriptedAnswer::json(200,
                              {{"data", {{{"id", "m-10"}}, {{"id", "m-2"}}, {{"name", "no id"}}, {{"id", "bad id"}}}},
                               {"has_more", true},
                               {"last_id", "m-2"}}),
         ScriptedAnswer::json(200, {{"data", {{{"id", "m-2"}}, {{"id", "a-1"}}}}, {"has_more", false}})});

    const std::vector<ModelSelection> models = list(Provider::anthropic);

    EXPECT_EQ(identifiers(models), (std::vector<std::string>{"a-1", "m-2", "m-10"}));
    EXPECT_EQ(models.front(), (ModelSelection{Provider::anthropic, "a-1", std::nullopt}));
    const std::vector<RecordedRequest> requests = m_server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].query, "limit=1000");
    EXPECT_EQ(requests[1].query, "limit=1000&after_id=m-2");
}

TEST_F(CloudModelClientTest, geminiKeepsModelsThatGenerateContentWithoutTheirPrefix)
{
    m_server.respondInTurn(
        "/v1beta/models",
        {ScriptedAnswer::json(
             200,
             {{"models",
               {{{"name", "models/gemini-2.5-pro"}, {"supportedGenerationMethods", {"countTokens", "generateContent"}}},
                {{"name", "models/embedding-001"}, {"supportedGenerationMethods", {"embedContent"}}},
                {{"name", "tuned-model"}, {"supportedGenerationMethods", {"generateContent"}}},
                {{"name", "models/no-methods"}}}},
              {"nextPageToken", "t/1"}}),
         ScriptedAnswer::json(200, {{"nextPageToken", ""}})});

    EXPECT_EQ(identifiers(list(Provider::gemini)), (std::vector<std::string>{"gemini-2.5-pro", "tuned-model"}));
    EXPECT_EQ(m_server.requests().at(1).query, "pageSize=1000&pageToken=t%2F1");
}

TEST_F(CloudModelClientTest, pagesOfTheWrongShapeOrRepeatedTokensFail)
{
    struct Case
    {
        const char* name;
        Provider provider;
        std::vector<nlohmann::json> pages;
        std::string code;
    };

    const Case cases[] = {
        {"Anthropic without has_more",
         Provider::anthropic,
         {{{"data", nlohmann::json::array()}}},
         "invalid_provider_response"},
        {"Anthropic with more but an empty last id",
         Provider::anthropic,
         {{{"data", nlohmann::json::array()}, {"has_more", true}, {"last_id", ""}}},
         "invalid_provider_response"},
        {"Anthropic repeating the previous last id",
         Provider::anthropic,
         {{{"data", nlohmann::json::array()}, {"has_more", true}, {"last_id", "x"}}},
         "invalid_provider_response"},
        {"Gemini with models that are not an array",
         Provider::gemini,
         {{{"models", "x"}}},
         "invalid_provider_response"},
        {"Gemini with a token that is not a string",
         Provider::gemini,
         {{{"nextPageToken", 3}}},
         "invalid_provider_response"},
        {"Gemini answering with an array", Provider::gemini, {nlohmann::json::array()}, "invalid_provider_response"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        std::vector<ScriptedAnswer> answers;
        for (const nlohmann::json& page : row.pages) {
            answers.push_back(ScriptedAnswer::json(200, page));
        }
        m_server.respondInTurn(row.provider == Provider::anthropic ? "/v1/models" : "/v1beta/models", answers);
        const std::optional<ProviderFailure> failure = listingFailure(row.provider);
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->code(), row.code);
    }
    EXPECT_EQ(listingFailure(Provider::anthropic)->message(),
              "Anthropic returned an incomplete or invalid response. Review the model, region, and instructions, then "
              "try again.");
}

TEST_F(CloudModelClientTest, aListingStopsAfterItsHundredthPage)
{
    int page = 0;
    m_server.setHandler([&page](const RecordedRequest&) {
        return ScriptedAnswer::json(200,
                                    {{"models", nlohmann::json::array()}, {"nextPageToken", std::to_string(++page)}});
    });
    const std::optional<ProviderFailure> failure = listingFailure(Provider::gemini);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->code(), "budget_exceeded");
    EXPECT_EQ(m_server.requestCount(), 100u);
}

TEST_F(CloudModelClientTest, aListingThatRunsOutOfTimeSendsNoFurtherPage)
{
    m_server.respondInTurn(
        "/v1/models",
        {ScriptedAnswer::json(200, {{"data", nlohmann::json::array()}, {"has_more", true}, {"last_id", "1"}}),
         ScriptedAnswer::json(200, {{"data", nlohmann::json::array()}, {"has_more", true}, {"last_id", "2"}}),
         ScriptedAnswer::json(200, {{"data", nlohmann::json::array()}, {"has_more", false}})});
    auto slow = std::make_shared<SlowPages>(transport(), m_time, 8s);
    const CloudModelClient client(slow, m_time);
    try {
        waitBounded(client.listModels(Provider::anthropic, "key", {}));
        ADD_FAILURE() << "the listing finished";
    } catch (const ProviderFailure& failure) {
        EXPECT_EQ(failure.code(), "execution_timeout");
    }
    EXPECT_EQ(m_server.requestCount(), 2u);
    EXPECT_EQ(slow->timeouts, (std::vector<double>{15, 7}));
}

TEST_F(CloudModelClientTest, statusFailuresEndTheListingWithoutAPartialResult)
{
    m_server.respondInTurn(
        "/v1/models",
        {ScriptedAnswer::json(200, {{"data", {{{"id", "m-1"}}}}, {"has_more", true}, {"last_id", "m-1"}}),
         ScriptedAnswer::json(401, nlohmann::json::object())});
    const std::optional<ProviderFailure> failure = listingFailure(Provider::anthropic);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->code(), "provider_authentication");
    EXPECT_TRUE(failure->knownUnbilled());
}

} // namespace
