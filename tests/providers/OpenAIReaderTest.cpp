#include "BoundedWait.h"
#include "CancelledError.h"
#include "OpenAIHTTPTransport.h"
#include "OpenAIReadingService.h"
#include "ProviderAnswers.h"
#include "RawHttpServer.h"
#include "ReaderFixture.h"
#include "ReadingPrompt.h"
#include "ReadingTools.h"
#include "WaitUntil.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace std::chrono_literals;
using namespace tavlen;
using namespace tavlen::test;
using Provider = ModelSelection::Provider;

namespace {

const ModelSelection gpt{Provider::openAI, "gpt-test", std::nullopt};

class OpenAIReaderTest : public ReaderFixture
{
protected:
    OpenAIReadingService reader(OpenAIReadingLimits limits = {}, Provider keyOf = Provider::openAI)
    {
        const QUrl base(QString::fromStdString(m_server.baseURL() + "/v1/"));
        return OpenAIReadingService(keyStore(keyOf), std::make_shared<OpenAIHTTPTransport>(base), limits);
    }

    nlohmann::json goodArguments() const { return submitReadings({{priceKey(), 19.99}, {nameKey(), "Café / Crème"}}); }

    void answer(const nlohmann::json& body, int status = 200)
    {
        m_server.respond("/v1/responses", ScriptedAnswer::json(status, body));
    }
};

TEST_F(OpenAIReaderTest, aReadIsOneResponsesRequestAnsweredByOneFunctionCall)
{
    answer(openAIAnswer("submit_readings", goodArguments()));
    OpenAIReadingService service = reader();

    EXPECT_EQ(read(service, gpt), expectedReadings(m_fields));

    ASSERT_EQ(m_server.requestCount(), 1u);
    const RecordedRequest request = m_server.requests().front();
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.path, "/v1/responses");
    EXPECT_EQ(request.header("Authorization"), "Bearer key-openAI");
    EXPECT_EQ(request.header("Content-Type"), "application/json");
    // Encoded as the platform encoder does: compact, every "/" escaped.
    EXPECT_NE(request.body.find(R"("image_url":"data:image\/png;base64,)"), std::string::npos);
    EXPECT_EQ(request.body.find(' ' + std::string("\"model\"")), std::string::npos);
    const auto tool = [](const ReadingTool& readingTool, const ProviderJSON& schema) {
        return nlohmann::json{{"type", "function"},
                              {"name", readingTool.name},
                              {"description", readingTool.description},
                              {"parameters", schema.toJson()},
                              {"strict", true}};
    };
    const nlohmann::json expected = {
        {"model", "gpt-test"},
        {"instructions", readingSystemPrompt()},
        {"input",
         {{{"role", "user"},
           {"content",
            {{{"type", "input_text"}, {"text", readingFieldListJSON(m_fields)}},
             {{"type", "input_text"}, {"text", "Structured page evidence:\n" + evidenceJSON()}},
             {{"type", "input_image"}, {"image_url", "data:image/png;base64," + cropBase64()}, {"detail", "high"}}}}}}},
        {"tools",
         {tool(submitReadingsTool, submitReadingsSchema(m_fields)), tool(reportFailureTool, reportFailureSchema())}},
        {"tool_choice", "required"},
        {"parallel_tool_calls", false},
        {"max_output_tokens", 4096},
        {"stream", false},
        {"store", false},
        {"truncation", "disabled"},
        {"service_tier", "default"}};
    EXPECT_EQ(request.jsonBody(), expected);

    EXPECT_EQ(reportKinds(), (std::vector<std::string>{"requestSent", "usage"}));
    const ModelUsage usage = *reportedUsage();
    EXPECT_EQ(usage.inputTokens, 1200);
    EXPECT_EQ(usage.cachedTokens, 200);
    EXPECT_EQ(usage.cacheWriteTokens, 0);
    EXPECT_EQ(usage.outputTokens, 40);
    EXPECT_EQ(usage.reportedModel, "gpt-test");
    EXPECT_GE(usage.durationSeconds.value_or(-1), 0);
    EXPECT_EQ(usage.loadSeconds, std::nullopt);
}

TEST_F(OpenAIReaderTest, answersWithoutOneAcceptableCallFailWithTheInvalidReadingsSentence)
{
    const std::string invalid = "The model returned incomplete or invalid readings. Choose Test step to try again.";
    using Edit = std::function<void(nlohmann::json&)>;

    struct Case
    {
        const char* name;
        Edit edit;
        std::string failure;
    };

    const Case cases[] = {
        {"incomplete", [](nlohmann::json& a) { a["status"] = "incomplete"; }, invalid},
        {"an error",
         [](nlohmann::json& a) {
             a["error"] = {{"message", "x"}};
         },
         invalid},
        {"a model name of 257 bytes", [](nlohmann::json& a) { a["model"] = std::string(257, 'm'); }, invalid},
        {"an item of another type",
         [](nlohmann::json& a) {
             a["output"].push_back({{"type", "web_search_call"}});
         },
         invalid},
        {"two calls", [](nlohmann::json& a) { a["output"].push_back(a["output"][1]); }, invalid},
        {"no call", [](nlohmann::json& a) { a["output"].erase(1); }, invalid},
        {"a refusal in a message",
         [](nlohmann::json& a) {
             a["output"].push_back({{"type", "message"}, {"content", {{{"type", "refusal"}, {"refusal", "no"}}}}});
         },
         invalid},
        {"an unfinished call", [](nlohmann::json& a) { a["output"][1]["status"] = "in_progress"; }, invalid},
        {"a call id of 201 bytes",
         [](nlohmann::json& a) { a["output"][1]["call_id"] = std::string(201, 'c'); },
         invalid},
        {"arguments that are an array", [](nlohmann::json& a) { a["output"][1]["arguments"] = "[1]"; }, invalid},
        {"arguments that are not JSON", [](nlohmann::json& a) { a["output"][1]["arguments"] = "{"; }, invalid},
        {"a price given as text",
         [this](nlohmann::json& a) {
             a["output"][1]["arguments"] = submitReadings({{priceKey(), "19.99"}, {nameKey(), "x"}}).dump();
         },
         invalid},
        {"the model reports an uncertain field",
         [](nlohmann::json& a) {
             a["output"][1]["name"] = "report_failure";
             a["output"][1]["arguments"] = R"({"reason":"uncertain"})";
         },
         "Not all requested fields could be determined reliably. Review the region and instructions."},
        {"a reasoning item and a finished message pass",
         [](nlohmann::json& a) {
             a["output"].push_back(
                 {{"type", "message"}, {"status", "completed"}, {"content", {{{"type", "output_text"}}}}});
         },
         "(read)"},
    };
    OpenAIReadingService service = reader();
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        nlohmann::json body = openAIAnswer("submit_readings", goodArguments());
        row.edit(body);
        answer(body);
        m_reports.clear();
        EXPECT_EQ(failureOf(service, gpt), row.failure);
        // The usage of a 2xx answer is reported whatever its readings.
        EXPECT_EQ(reportKinds(), (std::vector<std::string>{"requestSent", "usage"}));
    }
}

TEST_F(OpenAIReaderTest, usageIsReportedOnlyWhenItsCountsHold)
{
    struct Case
    {
        const char* name;
        nlohmann::json usage;
        std::optional<std::int64_t> cacheWrites; // nothing: no usage report
    };

    const Case cases[] = {
        {"no cache writes",
         {{"input_tokens", 100}, {"input_tokens_details", {{"cached_tokens", 60}}}, {"output_tokens", 5}},
         0},
        {"cache writes within the input",
         {{"input_tokens", 100},
          {"input_tokens_details", {{"cached_tokens", 60}, {"cache_write_tokens", 40}}},
          {"output_tokens", 5}},
         40},
        {"cached and written above the input",
         {{"input_tokens", 100},
          {"input_tokens_details", {{"cached_tokens", 60}, {"cache_write_tokens", 50}}},
          {"output_tokens", 5}},
         std::nullopt},
        {"output with a fraction",
         {{"input_tokens", 100}, {"input_tokens_details", {{"cached_tokens", 0}}}, {"output_tokens", 12.5}},
         std::nullopt},
        {"output above ten million",
         {{"input_tokens", 100}, {"input_tokens_details", {{"cached_tokens", 0}}}, {"output_tokens", 10'000'001}},
         std::nullopt},
        {"no input details", {{"input_tokens", 100}, {"output_tokens", 5}}, std::nullopt},
        {"empty", nlohmann::json::object(), std::nullopt},
    };
    OpenAIReadingService service = reader();
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        nlohmann::json body = openAIAnswer("submit_readings", goodArguments());
        body["usage"] = row.usage;
        answer(body);
        m_reports.clear();
        EXPECT_EQ(read(service, gpt), expectedReadings(m_fields));
        if (row.cacheWrites) {
            EXPECT_EQ(reportKinds(), (std::vector<std::string>{"requestSent", "usage"}));
            EXPECT_EQ(reportedUsage()->cacheWriteTokens, *row.cacheWrites);
        } else {
            EXPECT_EQ(reportKinds(), std::vector<std::string>{"requestSent"});
        }
    }
}

TEST_F(OpenAIReaderTest, refusedRequestsAreReportedNotBilledOnlyWhenOpenAIDoesNotBillThem)
{
    OpenAIReadingService service = reader();
    answer({{"error", {{"message", "bad key"}}}}, 401);
    EXPECT_EQ(failureOf(service, gpt),
              "provider_authentication: OpenAI did not authorize this request. Check your API key and model access in "
              "Settings.");
    EXPECT_EQ(reportKinds(), (std::vector<std::string>{"requestSent", "requestNotBilled"}));

    m_reports.clear();
    answer({{"error", {{"message", "oops"}}}}, 500);
    EXPECT_EQ(failureOf(service, gpt), "provider_http_500: OpenAI could not complete this request (HTTP 500).");
    EXPECT_EQ(reportKinds(), std::vector<std::string>{"requestSent"});

    // A time-out of 0 fails in the transport, after the request was counted.
    m_reports.clear();
    EXPECT_EQ(failureOf(service, gpt, 0), "execution_timeout: The reading request reached its time limit.");
    EXPECT_EQ(reportKinds(), std::vector<std::string>{"requestSent"});
}

TEST_F(OpenAIReaderTest, nothingIsSentForAnotherProviderAnInvalidStepOrAMissingKey)
{
    OpenAIReadingService withoutKey = reader({}, Provider::ollama); // a store that can hold no key
    EXPECT_EQ(failureOf(withoutKey, {Provider::gemini, "gemini-x", std::nullopt}),
              "unsupported_provider: Select an OpenAI model for this service.");
    EXPECT_EQ(failureOf(withoutKey, gpt), "Save an OpenAI API key in Settings to execute Read.");
    m_fields[1].name = " \n";
    OpenAIReadingService service = reader();
    EXPECT_EQ(failureOf(service, gpt), "Enter a name for every field.");
    EXPECT_EQ(m_server.requestCount(), 0u);
    EXPECT_TRUE(m_reports.empty());
}

TEST_F(OpenAIReaderTest, aBodyOverTheLimitGoesWithoutTheEvidenceOrNotAtAll)
{
    answer(openAIAnswer("submit_readings", goodArguments()));
    OpenAIReadingService measuring = reader();
    read(measuring, gpt);
    const std::int64_t fullSize = static_cast<std::int64_t>(m_server.requests().at(0).body.size());

    OpenAIReadingService exact = reader({4096, fullSize, 2'097'152});
    read(exact, gpt);
    EXPECT_EQ(m_server.requests().at(1).jsonBody()["input"][0]["content"][1]["text"],
              "Structured page evidence:\n" + evidenceJSON());

    OpenAIReadingService tight = reader({4096, fullSize - 1, 2'097'152});
    read(tight, gpt);
    EXPECT_EQ(m_server.requests().at(2).jsonBody()["input"][0]["content"][1]["text"],
              "Structured page evidence:\n{\"nodes\":[]}");

    m_reports.clear();
    OpenAIReadingService tiny = reader({4096, 1000, 2'097'152});
    EXPECT_EQ(failureOf(tiny, gpt), "budget_exceeded: The reading request reached its provider request size limit.");
    EXPECT_EQ(m_server.requestCount(), 3u);
    EXPECT_TRUE(m_reports.empty());
}

TEST_F(OpenAIReaderTest, cancellingDuringTheRequestEndsTheReadWithTheCancellation)
{
    RawHttpServer stalled;
    stalled.play({RawHttpServer::hold()});
    OpenAIReadingService service(
        keyStore(Provider::openAI),
        std::make_shared<OpenAIHTTPTransport>(QUrl(QString::fromStdString(stalled.baseURL() + "/v1/"))));
    std::stop_source stop;
    auto onUsage = [this](const ModelRequestReport& report) { m_reports.push_back(report); };
    auto task = service.read(ReadingRequest{gpt, 30, m_fields, m_screenshot, m_region}, onUsage, stop.get_token());
    waitUntil([&] { return stalled.requestCount() == 1; });
    stop.request_stop();
    EXPECT_THROW(waitBounded(std::move(task), 5s), CancelledError);
    EXPECT_EQ(reportKinds(), std::vector<std::string>{"requestSent"});
}

} // namespace
