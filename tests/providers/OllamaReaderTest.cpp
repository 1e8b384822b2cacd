#include "BoundedWait.h"
#include "OllamaChat.h"
#include "OllamaHTTPTransport.h"
#include "OllamaReadingService.h"
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

class OllamaReaderTest : public ReaderFixture
{
protected:
    OllamaReaderTest()
    {
        m_server.respond("/api/tags", ScriptedAnswer::json(200, ollamaTags({"llava:13b", "qwen2.5vl:7b"})));
    }

    OllamaReadingService reader()
    {
        return OllamaReadingService(OllamaClient(std::make_shared<OllamaHTTPTransport>()));
    }

    ModelSelection llava() const { return {Provider::ollama, "llava:13b", m_server.baseURL()}; }

    nlohmann::json goodValues() const { return ollamaValues({{priceKey(), 19.99}, {nameKey(), "Café / Crème"}}); }

    void answer(const nlohmann::json& body) { m_server.respond("/api/chat", ScriptedAnswer::json(200, body)); }
};

TEST_F(OllamaReaderTest, aReadConfirmsTheModelThenAsksForStructuredOutput)
{
    answer(ollamaChatAnswer(goodValues(), "llava:13b"));
    OllamaReadingService service = reader();

    EXPECT_EQ(read(service, llava()), expectedReadings(m_fields));

    const std::vector<RecordedRequest> requests = m_server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].path, "/api/tags");
    EXPECT_EQ(requests[1].method, "POST");
    EXPECT_EQ(requests[1].path, "/api/chat");
    EXPECT_EQ(requests[1].header("Content-Type"), "application/json");
    EXPECT_FALSE(requests[1].header("Authorization"));

    const nlohmann::json values = {
        {"type", "object"},
        {"properties", {{priceKey(), {{"type", "number"}}}, {nameKey(), {{"type", "string"}}}}},
        {"required", nlohmann::json::array({std::min(priceKey(), nameKey()), std::max(priceKey(), nameKey())})},
        {"additionalProperties", false}};
    const nlohmann::json format = {{"oneOf",
                                    {{{"type", "object"},
                                      {"properties", {{"status", {{"const", "success"}}}, {"values", values}}},
                                      {"required", {"status", "values"}},
                                      {"additionalProperties", false}},
                                     {{"type", "object"},
                                      {"properties",
                                       {{"reason", {{"type", "string"}, {"enum", {"not_found", "uncertain"}}}},
                                        {"status", {{"const", "failure"}}}}},
                                      {"required", {"reason", "status"}},
                                      {"additionalProperties", false}}}}};
    const nlohmann::json body = requests[1].jsonBody();
    EXPECT_EQ(body["model"], "llava:13b");
    EXPECT_EQ(body["stream"], false);
    EXPECT_EQ(body["format"], format);
    EXPECT_EQ(body["options"], (nlohmann::json{{"temperature", 0}, {"num_predict", 8192}}));
    ASSERT_EQ(body["messages"].size(), 2u);
    EXPECT_EQ(body.size(), 5u);
    const std::string system = body["messages"][0]["content"];
    EXPECT_EQ(body["messages"][0]["role"], "system");
    EXPECT_EQ(ollamaInstructionText.size(), 318u);
    EXPECT_EQ(ollamaOutputRules.size(), 655u);
    const std::string prefix =
        std::string(ollamaInstructionText) + std::string(readingEvidenceRules) + std::string(ollamaOutputRules);
    ASSERT_EQ(system.rfind(prefix, 0), 0u);
    EXPECT_EQ(nlohmann::json::parse(system.substr(prefix.size())), format);
    EXPECT_EQ(body["messages"][1],
              (nlohmann::json{
                  {"role", "user"},
                  {"content", readingFieldListJSON(m_fields) + "\n\nStructured page evidence:\n" + evidenceJSON()},
                  {"images", nlohmann::json::array({cropBase64()})}}));

    EXPECT_EQ(reportKinds(), (std::vector<std::string>{"model", "requestSent", "usage"}));
    const DiscoveredModel model = *m_reports[0].model();
    EXPECT_EQ(model.selection, llava());
    EXPECT_EQ(model.quantization, "Q4_K_M");
    const ModelUsage usage = *reportedUsage();
    EXPECT_EQ(usage.inputTokens, 700);
    EXPECT_EQ(usage.outputTokens, 25);
    EXPECT_EQ(usage.cachedTokens, 0);
    EXPECT_EQ(usage.loadSeconds, 1.5);
    EXPECT_EQ(usage.reportedModel, "llava:13b");
}

TEST_F(OllamaReaderTest, answersAreCheckedBeforeTheirReadingsAreTaken)
{
    const std::string invalid = "invalid_provider_response: The model returned incomplete or invalid readings. Review "
                                "the region and instructions, then try again.";
    const std::string readingFailed =
        "The model could not reliably read every field. Review the region and instructions.";
    using Edit = std::function<void(nlohmann::json&)>;

    struct Case
    {
        const char* name;
        Edit edit;
        std::string failure;
    };

    const auto content = [](nlohmann::json output) {
        return [output](nlohmann::json& a) { a["message"]["content"] = output.dump(); };
    };
    const Case cases[] = {
        {"not done", [](nlohmann::json& a) { a["done"] = false; }, invalid},
        {"no done reason", [](nlohmann::json& a) { a.erase("done_reason"); }, invalid},
        {"done loading", [](nlohmann::json& a) { a["done_reason"] = "load"; }, invalid},
        {"an error", [](nlohmann::json& a) { a["error"] = nullptr; }, invalid},
        {"another letter case of the model", [](nlohmann::json& a) { a["model"] = "Llava:13b"; }, invalid},
        {"cut at the output limit",
         [](nlohmann::json& a) { a["done_reason"] = "length"; },
         "ollama_output_limit: Ollama reached the output token limit before completing the readings. Try fewer fields "
         "at once or choose another model."},
        {"reported uncertain",
         content({{"status", "failure"}, {"reason", "uncertain"}}),
         "reading_uncertain: " + readingFailed},
        {"reported not found",
         content({{"status", "failure"}, {"reason", "not_found"}}),
         "reading_not_found: " + readingFailed},
        {"a failure for another reason", content({{"status", "failure"}, {"reason", "other"}}), invalid},
        {"a failure with values",
         content({{"status", "failure"}, {"reason", "uncertain"}, {"values", nlohmann::json::object()}}),
         invalid},
        {"content that is not JSON", [](nlohmann::json& a) { a["message"]["content"] = "19.99"; }, invalid},
        {"a missing field",
         [this](nlohmann::json& a) {
             a["message"]["content"] = ollamaValues({{priceKey(), 1}}).dump();
         },
         invalid},
        {"a field keyed in upper case",
         [this](nlohmann::json& a) {
             std::string upper = nameKey();
             for (char& c : upper) {
                 c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
             }
             a["message"]["content"] = ollamaValues({{priceKey(), 1}, {upper, "x"}}).dump();
         },
         invalid},
        {"a number field answered with text",
         [this](nlohmann::json& a) {
             a["message"]["content"] = ollamaValues({{priceKey(), "1"}, {nameKey(), "x"}}).dump();
         },
         "The model returned incomplete or invalid readings. Choose Test step to try again."},
    };
    OllamaReadingService service = reader();
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        nlohmann::json body = ollamaChatAnswer(goodValues(), "llava:13b");
        row.edit(body);
        answer(body);
        m_reports.clear();
        EXPECT_EQ(failureOf(service, llava()), row.failure);
        EXPECT_EQ(reportKinds(), (std::vector<std::string>{"model", "requestSent", "usage"}));
    }
}

TEST_F(OllamaReaderTest, usageIsReportedWithWhatTheAnswerHolds)
{
    OllamaReadingService service = reader();
    nlohmann::json body = ollamaChatAnswer(goodValues(), "llava:13b");
    body.erase("prompt_eval_count");
    body["load_duration"] = -5;
    answer(body);
    read(service, llava());
    const ModelUsage usage = *reportedUsage();
    EXPECT_EQ(usage.inputTokens, std::nullopt);
    EXPECT_EQ(usage.outputTokens, 25);
    EXPECT_EQ(usage.loadSeconds, std::nullopt);
    EXPECT_TRUE(usage.durationSeconds);

    m_reports.clear();
    ScriptedAnswer notJSON;
    notJSON.body = "not json";
    m_server.respond("/api/chat", notJSON);
    EXPECT_EQ(failureOf(service, llava()).rfind("invalid_provider_response", 0), 0u);
    EXPECT_EQ(reportKinds(), (std::vector<std::string>{"model", "requestSent"}));
}

TEST_F(OllamaReaderTest, nothingIsAskedOfAServerThatNoLongerOffersTheModel)
{
    OllamaReadingService service = reader();
    EXPECT_EQ(failureOf(service, {Provider::ollama, "mistral", m_server.baseURL()}),
              "ollama_model_missing: This model is no longer available on the configured server. Select another model "
              "in the Read step.");
    EXPECT_EQ(m_server.requestCount(), 1u);
    EXPECT_TRUE(m_reports.empty());

    const std::string unsupported = "ollama_unsupported_model: This model cannot process the reading request. Select a "
                                    "model with image and structured-output support.";
    EXPECT_EQ(failureOf(service, {Provider::openAI, "gpt", std::nullopt}), unsupported);
    EXPECT_EQ(failureOf(service, {Provider::ollama, "llava:13b", std::nullopt}), unsupported);
    EXPECT_EQ(m_server.requestCount(), 1u);
}

} // namespace
