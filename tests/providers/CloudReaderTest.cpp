#include "AnthropicReadingService.h"
#include "BoundedWait.h"
#include "CloudHTTPTransport.h"
#include "GeminiReadingService.h"
#include "ProviderAnswers.h"
#include "ReaderFixture.h"
#include "ReadingPrompt.h"
#include "ReadingTools.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace tavlen;
using namespace tavlen::test;
using Provider = ModelSelection::Provider;

namespace {

const ModelSelection claude{Provider::anthropic, "claude-test", std::nullopt};
const ModelSelection gemini{Provider::gemini, "gemini-test", std::nullopt};
const std::string anthropicPath = "/v1/messages";
const std::string geminiPath = "/v1beta/models/gemini-test:generateContent";

class CloudReaderTest : public ReaderFixture
{
protected:
    std::shared_ptr<CloudTransport> transport()
    {
        const QUrl base(QString::fromStdString(m_server.baseURL()));
        return std::make_shared<CloudHTTPTransport>(CloudHTTPTransport::BaseURLs{base, base});
    }

    AnthropicReadingService anthropic(CloudReadingLimits limits = {})
    {
        return AnthropicReadingService(keyStore(Provider::anthropic), transport(), limits);
    }

    GeminiReadingService geminiReader(CloudReadingLimits limits = {})
    {
        return GeminiReadingService(keyStore(Provider::gemini), transport(), limits);
    }

    nlohmann::json goodArguments() const { return submitReadings({{priceKey(), 19.99}, {nameKey(), "Café / Crème"}}); }

    // The provider's good answer, changed by edit, is what the server gives next; the reports start afresh.
    void answerWith(Provider provider, const std::function<void(nlohmann::json&)>& edit)
    {
        const bool isAnthropic = provider == Provider::anthropic;
        nlohmann::json body = isAnthropic ? anthropicAnswer("submit_readings", goodArguments())
                                          : geminiAnswer("submit_readings", goodArguments());
        edit(body);
        m_server.respond(isAnthropic ? anthropicPath : geminiPath, ScriptedAnswer::json(200, body));
        m_reports.clear();
    }

    StepsReader& readerFor(Provider provider)
    {
        if (provider == Provider::anthropic) {
            return m_anthropic;
        }
        return m_gemini;
    }

    static const ModelSelection& modelOf(Provider provider)
    {
        return provider == Provider::anthropic ? claude : gemini;
    }

    AnthropicReadingService m_anthropic = anthropic();
    GeminiReadingService m_gemini = geminiReader();
};

TEST_F(CloudReaderTest, anAnthropicReadIsOneMessagesRequestAnsweredByOneToolUse)
{
    m_server.respond(anthropicPath, ScriptedAnswer::json(200, anthropicAnswer("submit_readings", goodArguments())));
    AnthropicReadingService reader = anthropic();

    EXPECT_EQ(read(reader, claude), expectedReadings(m_fields));

    const RecordedRequest request = m_server.requests().at(0);
    EXPECT_EQ(request.header("x-api-key"), "key-anthropic");
    EXPECT_EQ(request.header("anthropic-version"), "2023-06-01");
    EXPECT_NE(request.body.find(R"("media_type":"image\/png")"), std::string::npos);
    const auto tool = [](const ReadingTool& readingTool, const ProviderJSON& schema) {
        return nlohmann::json{
            {"name", readingTool.name}, {"description", readingTool.description}, {"input_schema", schema.toJson()}};
    };
    const nlohmann::json expected = {
        {"model", "claude-test"},
        {"max_tokens", 4096},
        {"stream", false},
        {"system", readingSystemPrompt()},
        {"messages",
         {{{"role", "user"},
           {"content",
            {{{"type", "text"}, {"text", readingFieldListJSON(m_fields)}},
             {{"type", "text"}, {"text", "Structured page evidence:\n" + evidenceJSON()}},
             {{"type", "image"},
              {"source", {{"type", "base64"}, {"media_type", "image/png"}, {"data", cropBase64()}}}}}}}}},
        {"tools",
         {tool(submitReadingsTool, submitReadingsSchema(m_fields)), tool(reportFailureTool, reportFailureSchema())}},
        {"tool_choice", {{"type", "auto"}, {"disable_parallel_tool_use", true}}}};
    EXPECT_EQ(request.jsonBody(), expected);

    EXPECT_EQ(reportKinds(), (std::vector<std::string>{"requestSent", "usage"}));
    const ModelUsage usage = *reportedUsage();
    EXPECT_EQ(usage.inputTokens, 1320);
    EXPECT_EQ(usage.cachedTokens, 300);
    EXPECT_EQ(usage.cacheWriteTokens, 20);
    EXPECT_EQ(usage.outputTokens, 35);
    EXPECT_EQ(usage.reportedModel, "claude-test");
    EXPECT_TRUE(usage.durationSeconds);
}

TEST_F(CloudReaderTest, aGeminiReadIsOneGenerateContentRequestAnsweredByOneFunctionCall)
{
    m_server.respond(geminiPath, ScriptedAnswer::json(200, geminiAnswer("submit_readings", goodArguments())));
    GeminiReadingService reader = geminiReader();

    EXPECT_EQ(read(reader, gemini), expectedReadings(m_fields));

    const RecordedRequest request = m_server.requests().at(0);
    EXPECT_EQ(request.path, geminiPath);
    EXPECT_EQ(request.header("x-goog-api-key"), "key-gemini");
    EXPECT_FALSE(request.header("anthropic-version"));
    const auto declaration = [](const ReadingTool& readingTool, const ProviderJSON& schema) {
        return nlohmann::json{{"name", readingTool.name},
                              {"description", readingTool.description},
                              {"parametersJsonSchema", schema.toJson()}};
    };
    const nlohmann::json expected = {
        {"systemInstruction", {{"parts", {{{"text", readingSystemPrompt()}}}}}},
        {"contents",
         {{{"role", "user"},
           {"parts",
            {{{"text", readingFieldListJSON(m_fields)}},
             {{"text", "Structured page evidence:\n" + evidenceJSON()}},
             {{"inlineData", {{"mimeType", "image/png"}, {"data", cropBase64()}}}}}}}}},
        {"tools",
         {{{"functionDeclarations",
            {declaration(submitReadingsTool, submitReadingsSchema(m_fields)),
             declaration(reportFailureTool, reportFailureSchema())}}}}},
        {"toolConfig",
         {{"functionCallingConfig",
           {{"mode", "ANY"}, {"allowedFunctionNames", {"submit_readings", "report_failure"}}}}}},
        {"generationConfig", {{"candidateCount", 1}, {"maxOutputTokens", 4096}}}};
    EXPECT_EQ(request.jsonBody(), expected);

    const ModelUsage usage = *reportedUsage();
    EXPECT_EQ(usage.inputTokens, 900);
    EXPECT_EQ(usage.cachedTokens, 100);
    EXPECT_EQ(usage.cacheWriteTokens, 0);
    EXPECT_EQ(usage.outputTokens, 42);
    EXPECT_EQ(usage.reportedModel, "gemini-test");
}

TEST_F(CloudReaderTest, answersOfAnotherShapeAreTheProvidersInvalidResponse)
{
    const std::string anthropicInvalid = "invalid_provider_response: Anthropic returned an incomplete or invalid "
                                         "response. Review the model, region, and instructions, then try again.";
    const std::string geminiInvalid = "invalid_provider_response: Gemini returned an incomplete or invalid response. "
                                      "Review the model, region, and instructions, then try again.";
    const std::string uncertain =
        "Not all requested fields could be determined reliably. Review the region and instructions.";
    using Edit = std::function<void(nlohmann::json&)>;

    struct Case
    {
        const char* name;
        Provider provider;
        Edit edit;
        std::string failure;
    };

    const Case cases[] = {
        {"Anthropic stopped for another reason",
         Provider::anthropic,
         [](nlohmann::json& a) { a["stop_reason"] = "end_turn"; },
         anthropicInvalid},
        {"Anthropic with two tool uses",
         Provider::anthropic,
         [](nlohmann::json& a) { a["content"].push_back(a["content"][1]); },
         anthropicInvalid},
        {"Anthropic with a block of an unknown type",
         Provider::anthropic,
         [](nlohmann::json& a) {
             a["content"].push_back({{"type", "image"}});
         },
         anthropicInvalid},
        {"Anthropic with an empty tool id",
         Provider::anthropic,
         [](nlohmann::json& a) { a["content"][1]["id"] = ""; },
         anthropicInvalid},
        {"Anthropic with a tool id of 201 bytes",
         Provider::anthropic,
         [](nlohmann::json& a) { a["content"][1]["id"] = std::string(201, 'i'); },
         anthropicInvalid},
        {"Anthropic with thinking and text passes",
         Provider::anthropic,
         [](nlohmann::json& a) {
             a["content"].push_back({{"type", "thinking"}, {"thinking", "..."}});
         },
         "(read)"},
        {"Anthropic missing a field",
         Provider::anthropic,
         [this](nlohmann::json& a) { a["content"][1]["input"].erase(nameKey()); },
         anthropicInvalid},
        {"Anthropic reporting an uncertain field",
         Provider::anthropic,
         [](nlohmann::json& a) {
             a["content"][1]["name"] = "report_failure";
             a["content"][1]["input"] = {{"reason", "uncertain"}};
         },
         uncertain},
        {"Gemini stopped for another reason",
         Provider::gemini,
         [](nlohmann::json& a) { a["candidates"][0]["finishReason"] = "MAX_TOKENS"; },
         geminiInvalid},
        {"Gemini blocked by a safety rating",
         Provider::gemini,
         [](nlohmann::json& a) { a["candidates"][0]["safetyRatings"][0]["blocked"] = true; },
         geminiInvalid},
        {"Gemini with a rating whose block flag is a string",
         Provider::gemini,
         [](nlohmann::json& a) { a["candidates"][0]["safetyRatings"][0]["blocked"] = "true"; },
         "(read)"},
        {"Gemini with a blocked prompt",
         Provider::gemini,
         [](nlohmann::json& a) {
             a["promptFeedback"] = {{"blockReason", nullptr}};
         },
         geminiInvalid},
        {"Gemini with two calls",
         Provider::gemini,
         [](nlohmann::json& a) {
             a["candidates"][0]["content"]["parts"].push_back(a["candidates"][0]["content"]["parts"][0]);
         },
         geminiInvalid},
        {"Gemini answering as the user",
         Provider::gemini,
         [](nlohmann::json& a) { a["candidates"][0]["content"]["role"] = "user"; },
         geminiInvalid},
        {"Gemini with two candidates",
         Provider::gemini,
         [](nlohmann::json& a) { a["candidates"].push_back(a["candidates"][0]); },
         geminiInvalid},
        {"Gemini with a text part beside the call",
         Provider::gemini,
         [](nlohmann::json& a) {
             a["candidates"][0]["content"]["parts"].push_back({{"text", "ok"}});
         },
         "(read)"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        answerWith(row.provider, row.edit);
        EXPECT_EQ(failureOf(readerFor(row.provider), modelOf(row.provider)), row.failure);
        EXPECT_EQ(reportKinds(), (std::vector<std::string>{"requestSent", "usage"}));
    }
}

TEST_F(CloudReaderTest, usageThatDoesNotHoldIsNotReportedButTheReadingsAre)
{
    struct Case
    {
        const char* name;
        Provider provider;
        nlohmann::json usage;
        std::optional<ModelUsage> expected;
    };

    const auto usage =
        [](std::int64_t input, std::int64_t cached, std::int64_t written, std::int64_t output, const char* model) {
            ModelUsage made;
            made.inputTokens = input;
            made.cachedTokens = cached;
            made.cacheWriteTokens = written;
            made.outputTokens = output;
            made.reportedModel = model;
            return made;
        };
    const Case cases[] = {
        {"Anthropic without cache reads",
         Provider::anthropic,
         {{"input_tokens", 10}, {"output_tokens", 3}},
         usage(10, 0, 0, 3, "claude-test")},
        {"Anthropic output with a fraction",
         Provider::anthropic,
         {{"input_tokens", 10}, {"output_tokens", 3.5}},
         std::nullopt},
        {"Anthropic cache reads that are not a count",
         Provider::anthropic,
         {{"input_tokens", 10}, {"output_tokens", 3}, {"cache_read_input_tokens", -1}},
         std::nullopt},
        {"Gemini thoughts add to the output",
         Provider::gemini,
         {{"promptTokenCount", 10}, {"candidatesTokenCount", 7}, {"thoughtsTokenCount", 5}},
         usage(10, 0, 0, 12, "gemini-test")},
        {"Gemini caching more than the prompt",
         Provider::gemini,
         {{"promptTokenCount", 10}, {"candidatesTokenCount", 7}, {"cachedContentTokenCount", 11}},
         std::nullopt},
        {"Gemini without metadata", Provider::gemini, nlohmann::json::object(), std::nullopt},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        answerWith(row.provider, [&row](nlohmann::json& body) {
            body[row.provider == Provider::anthropic ? "usage" : "usageMetadata"] = row.usage;
        });
        EXPECT_EQ(read(readerFor(row.provider), modelOf(row.provider)), expectedReadings(m_fields));
        std::optional<ModelUsage> reported = reportedUsage();
        if (reported) {
            reported->durationSeconds.reset();
        }
        EXPECT_EQ(reported, row.expected);
    }
}

TEST_F(CloudReaderTest, refusalsOfTheProviderAreReportedNotBilledOnlyWhenUnbilled)
{
    AnthropicReadingService reader = anthropic();
    m_server.respond(anthropicPath, ScriptedAnswer::json(401, nlohmann::json::object()));
    EXPECT_EQ(failureOf(reader, claude),
              "provider_authentication: Anthropic did not authorize this request. Check your API key and model access "
              "in Settings.");
    EXPECT_EQ(reportKinds(), (std::vector<std::string>{"requestSent", "requestNotBilled"}));

    m_reports.clear();
    m_server.respond(anthropicPath, ScriptedAnswer::json(500, nlohmann::json::object()));
    EXPECT_EQ(failureOf(reader, claude),
              "provider_http_500: Anthropic could not complete this request (HTTP 500). Check that the model supports "
              "images and function calls.");
    EXPECT_EQ(reportKinds(), std::vector<std::string>{"requestSent"});

    m_reports.clear();
    EXPECT_EQ(failureOf(reader, claude, 0),
              "execution_timeout: The model request reached its time limit. Try a smaller model or screenshot region.");
    EXPECT_EQ(reportKinds(), std::vector<std::string>{"requestSent"});
}

TEST_F(CloudReaderTest, nothingIsSentForAnotherProviderOrWithoutAKey)
{
    AnthropicReadingService reader = anthropic();
    EXPECT_EQ(failureOf(reader, gemini),
              "invalid_provider_response: Anthropic returned an incomplete or invalid response. Review the model, "
              "region, and instructions, then try again.");
    waitBounded(keyStore(Provider::gemini)->deleteKey());
    GeminiReadingService withoutKey = geminiReader();
    EXPECT_EQ(failureOf(withoutKey, gemini), "Save your Gemini API key in Settings to execute Read.");
    EXPECT_EQ(m_server.requestCount(), 0u);
    EXPECT_TRUE(m_reports.empty());
}

TEST_F(CloudReaderTest, aBodyOverTheLimitGoesWithoutTheEvidenceOrNotAtAll)
{
    m_server.respond(anthropicPath, ScriptedAnswer::json(200, anthropicAnswer("submit_readings", goodArguments())));
    AnthropicReadingService measuring = anthropic();
    read(measuring, claude);
    const std::int64_t fullSize = static_cast<std::int64_t>(m_server.requests().at(0).body.size());

    m_reports.clear();
    AnthropicReadingService tight = anthropic({4096, fullSize - 1, 2'097'152});
    read(tight, claude);
    EXPECT_EQ(m_server.requests().at(1).jsonBody()["messages"][0]["content"][1]["text"],
              "Structured page evidence:\n{\"nodes\":[]}");
    EXPECT_EQ(reportKinds(), (std::vector<std::string>{"requestSent", "usage"}));

    m_reports.clear();
    AnthropicReadingService tiny = anthropic({4096, 1000, 2'097'152});
    EXPECT_EQ(failureOf(tiny, claude),
              "budget_exceeded: The Anthropic request reached its size limit. Try a smaller screenshot region or fewer "
              "fields.");
    EXPECT_EQ(m_server.requestCount(), 2u);
    EXPECT_TRUE(m_reports.empty());
}

} // namespace
