#include "BoundedWait.h"
#include "CloudFailures.h"
#include "CloudHTTPTransport.h"
#include "LoopbackHttpServer.h"
#include "OllamaHTTPTransport.h"
#include "OpenAIFailure.h"
#include "OpenAIHTTPTransport.h"
#include "OpenAIResponseCheck.h"
#include "ProviderFailure.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace tavlen;
using namespace tavlen::test;
using Provider = ModelSelection::Provider;

namespace {

constexpr std::int64_t limit = 2'097'152;

// What a transport makes of one answer: a failure's code, sentence and billing, or nothing for the body itself.
struct Outcome
{
    std::string code;
    std::string message;
    bool knownUnbilled = false;

    friend bool operator==(const Outcome&, const Outcome&) = default;
};

std::ostream& operator<<(std::ostream& stream, const Outcome& outcome)
{
    return stream << outcome.code << " / " << outcome.message << " / " << outcome.knownUnbilled;
}

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::optional<Outcome> openAIOutcome(const std::string& baseURL)
{
    OpenAIHTTPTransport transport(QUrl(QString::fromStdString(baseURL + "/v1/")));
    try {
        const OpenAIHTTPResponse response = waitBounded(transport.send("responses", "{}", "sk", limit, 20, {}));
        checkOpenAIResponse(limit, response.status, response.body);
    } catch (const OpenAIFailure& failure) {
        return Outcome{failure.code(), failure.message(), failure.knownUnbilled()};
    }
    return std::nullopt;
}

std::optional<Outcome> cloudOutcome(const std::string& baseURL, Provider provider)
{
    const QUrl base(QString::fromStdString(baseURL));
    CloudHTTPTransport transport({base, base});
    try {
        const CloudHTTPResponse response =
            waitBounded(transport.send(provider, CloudRequest::generate("m-1", "{}"), "k", limit, 20, {}));
        cloudStatusFailure(provider, limit, response.status, response.body);
    } catch (const ProviderFailure& failure) {
        return Outcome{failure.code(), failure.message(), failure.knownUnbilled()};
    }
    return std::nullopt;
}

std::optional<Outcome> ollamaOutcome(const std::string& baseURL)
{
    OllamaHTTPTransport transport;
    try {
        waitBounded(transport.send(baseURL, "chat", "{}", limit, 20, {}));
    } catch (const ProviderFailure& failure) {
        return Outcome{failure.code(), failure.message(), failure.knownUnbilled()};
    }
    return std::nullopt;
}

Outcome openAIHTTP(int status, bool unbilled)
{
    return {"provider_http_" + std::to_string(status),
            "OpenAI could not complete this request (HTTP " + std::to_string(status) + ").",
            unbilled};
}

Outcome anthropicHTTP(int status, bool unbilled)
{
    return {"provider_http_" + std::to_string(status),
            "Anthropic could not complete this request (HTTP " + std::to_string(status) +
                "). Check that the model supports images and function calls.",
            unbilled};
}

Outcome ollamaHTTP(int status)
{
    return {"ollama_http_" + std::to_string(status),
            "Ollama could not complete the request (HTTP " + std::to_string(status) +
                "). Check Ollama and try another model.",
            false};
}

const Outcome openAIAuthentication{
    "provider_authentication",
    "OpenAI did not authorize this request. Check your API key and model access in Settings.",
    true};
const Outcome openAIQuota{
    "provider_quota", "OpenAI API quota is unavailable. Check your OpenAI billing and limits.", true};
const Outcome anthropicAuthentication{
    "provider_authentication",
    "Anthropic did not authorize this request. Check your API key and model access in Settings.",
    true};
const Outcome anthropicRateLimit{
    "provider_http_429",
    "Anthropic reached a rate or quota limit. Check your billing and limits, then try again.",
    true};
const Outcome ollamaMemory{
    "ollama_memory",
    "Ollama could not load this model into memory. Close other applications or choose a smaller model.",
    false};
const Outcome ollamaUnsupported{
    "ollama_unsupported_model",
    "This model cannot process the reading request. Select a model with image and structured-output support.",
    false};
const Outcome ollamaMissing{
    "ollama_model_missing",
    "This model is no longer available on the configured server. Select another model in the Read step.",
    false};

Outcome anthropicUnavailable(const std::string& detail)
{
    return {"provider_http_503", "Anthropic is temporarily unavailable (HTTP 503). " + detail, false};
}

// Every status every transport maps, in one table: the same answer goes to OpenAI, Anthropic, Gemini and Ollama.
TEST(StatusMapping, everyTransportMapsEveryStatusAsItsProviderSays)
{
    struct Row
    {
        const char* name;
        int status;
        std::string body;
        std::optional<Outcome> openAI;
        std::optional<Outcome> anthropic; // Gemini's is the same sentence with its own name
        std::optional<Outcome> ollama;
    };

    const Row rows[] = {
        {"success", 200, R"({"ok":1})", std::nullopt, std::nullopt, std::nullopt},
        {"success without content", 204, "", std::nullopt, std::nullopt, std::nullopt},
        {"unauthorized", 401, "{}", openAIAuthentication, anthropicAuthentication, ollamaHTTP(401)},
        {"forbidden with the quota code",
         403,
         R"({"error":{"code":"insufficient_quota"}})",
         openAIAuthentication,
         anthropicAuthentication,
         ollamaHTTP(403)},
        {"too many requests with the quota code",
         429,
         R"({"error":{"code":"insufficient_quota"}})",
         openAIQuota,
         anthropicRateLimit,
         ollamaHTTP(429)},
        {"too many requests with another code",
         429,
         R"({"error":{"code":"rate_limit_exceeded"}})",
         openAIHTTP(429, true),
         anthropicRateLimit,
         ollamaHTTP(429)},
        {"server error with the billing code",
         500,
         R"({"error":{"code":"billing_hard_limit_reached"}})",
         openAIQuota,
         anthropicHTTP(500, false),
         ollamaHTTP(500)},
        {"server error that is not JSON",
         500,
         "<html>oops</html>",
         openAIHTTP(500, false),
         anthropicHTTP(500, false),
         ollamaHTTP(500)},
        {"bad request", 400, "{}", openAIHTTP(400, true), anthropicHTTP(400, true), ollamaHTTP(400)},
        {"not found", 404, R"({"error":"memory"})", openAIHTTP(404, true), anthropicHTTP(404, true), ollamaMissing},
        {"request time-out", 408, "{}", openAIHTTP(408, false), anthropicHTTP(408, false), ollamaHTTP(408)},
        {"teapot at the end of the client range",
         499,
         "{}",
         openAIHTTP(499, true),
         anthropicHTTP(499, true),
         ollamaHTTP(499)},
        {"redirect", 302, "", openAIHTTP(302, false), anthropicHTTP(302, false), ollamaHTTP(302)},
        {"unavailable with a message",
         503,
         "{\"error\":{\"message\":\" \\n Overloaded \\n\"}}",
         openAIHTTP(503, false),
         anthropicUnavailable("Overloaded"),
         ollamaHTTP(503)},
        {"unavailable with a blank message",
         503,
         R"({"error":{"message":"   "}})",
         openAIHTTP(503, false),
         anthropicUnavailable("Please try again later."),
         ollamaHTTP(503)},
        {"unavailable that is not JSON",
         503,
         "busy",
         openAIHTTP(503, false),
         anthropicUnavailable("Please try again later."),
         ollamaHTTP(503)},
        {"Ollama out of memory, any letter case",
         500,
         R"({"error":"CUDA out of MEMORY"})",
         openAIHTTP(500, false),
         anthropicHTTP(500, false),
         ollamaMemory},
        {"Ollama cannot allocate",
         502,
         R"({"error":"failed to allocate buffer"})",
         openAIHTTP(502, false),
         anthropicHTTP(502, false),
         ollamaMemory},
        {"Ollama model without images",
         500,
         R"({"error":"this model does not support Images"})",
         openAIHTTP(500, false),
         anthropicHTTP(500, false),
         ollamaUnsupported},
        {"Ollama without the format",
         400,
         R"({"error":"invalid format"})",
         openAIHTTP(400, true),
         anthropicHTTP(400, true),
         ollamaUnsupported},
        {"Ollama error that is not a string",
         500,
         R"({"error":{"message":"memory"}})",
         openAIHTTP(500, false),
         anthropicHTTP(500, false),
         ollamaHTTP(500)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LoopbackHttpServer server;
        ScriptedAnswer answer;
        answer.status = row.status;
        answer.body = row.body;
        server.setHandler([answer](const RecordedRequest&) { return answer; });
        EXPECT_EQ(openAIOutcome(server.baseURL()), row.openAI);
        EXPECT_EQ(cloudOutcome(server.baseURL(), Provider::anthropic), row.anthropic);
        std::optional<Outcome> gemini = row.anthropic;
        if (gemini) {
            gemini->message = replaced(gemini->message, "Anthropic", "Gemini");
        }
        EXPECT_EQ(cloudOutcome(server.baseURL(), Provider::gemini), gemini);
        EXPECT_EQ(ollamaOutcome(server.baseURL()), row.ollama);
        flushDeferredDeletes();
    }
}

} // namespace
