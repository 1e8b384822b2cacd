#include "ModelRequestEvent.h"
#include "MonitorCheckRecord.h"
#include "MonitorStoreError.h"
#include "StorageMessages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace tavlen {
namespace {

constexpr std::int64_t largest = std::numeric_limits<std::int64_t>::max();

std::optional<MonitorStoreError> errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const MonitorStoreError& error) {
        return error;
    }
    return std::nullopt;
}

ModelUsage reported(std::optional<std::int64_t> input,
                    std::int64_t cached,
                    std::int64_t written,
                    std::optional<std::int64_t> output)
{
    ModelUsage usage;
    usage.inputTokens = input;
    usage.cachedTokens = cached;
    usage.cacheWriteTokens = written;
    usage.outputTokens = output;
    return usage;
}

const ModelSelection openAI{ModelSelection::Provider::openAI, "gpt-4o", std::nullopt};
const ModelSelection ollama{ModelSelection::Provider::ollama, "llama3", "http://localhost:11434"};

TEST(MonitorCheckRecordsTest, failuresKeepTheirTextsWithinTheByteLimits)
{
    struct Row
    {
        const char* name;
        std::string code;
        std::string message;
        std::string storedCode;
        std::size_t messageBytes;
    };

    const std::string threeByte = "\xE2\x82\xAC"; // one character of three bytes
    const Row rows[] = {
        {"an empty code", "", "Failed.", "unknown", 7},
        {"a code of 100 ASCII letters", std::string(100, 'a'), "", std::string(80, 'a'), 0},
        {"a code whose 80th byte starts a character", std::string(79, 'a') + "\xC3\xA9", "", std::string(79, 'a'), 0},
        {"a code of only a cut character", "", std::string(4094, 'm') + threeByte + "xyz", "unknown", 4094},
        {"a message of exactly 4096 bytes", "x", std::string(4096, 'm'), "x", 4096},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const MonitorCheckFailure failure(row.code, row.message);
        EXPECT_EQ(failure.code(), row.storedCode);
        EXPECT_EQ(failure.message().size(), row.messageBytes);
        EXPECT_TRUE(row.message.starts_with(failure.message()));
    }
    // A letter with a combining mark can lose the mark: the cut is at a scalar boundary.
    EXPECT_EQ(MonitorCheckFailure(std::string(79, 'a') + "e\xCC\x81", "").code(), std::string(79, 'a') + "e");

    EXPECT_EQ(outcomeOf(std::nullopt), MonitorCheckOutcome::succeeded);
    EXPECT_EQ(outcomeOf(MonitorCheckFailure("cancelled", "Execution cancelled.")), MonitorCheckOutcome::cancelled);
    EXPECT_EQ(outcomeOf(MonitorCheckFailure("Cancelled", "")), MonitorCheckOutcome::failed);
    EXPECT_EQ(textOf(MonitorCheckOutcome::cancelled), "cancelled");
}

TEST(MonitorCheckRecordsTest, foldingEventsCountsRequestsTokensAndModelDetails)
{
    struct Expected
    {
        std::int64_t requests;
        std::int64_t unreported;
        std::int64_t reportedTokenRequests;
        std::int64_t input;
        std::int64_t cached;
        std::int64_t written;
        std::int64_t output;
    };

    struct Row
    {
        const char* name;
        std::vector<ModelRequestEvent> events;
        Expected expected;
    };

    const auto sent = ModelRequestEvent::sent();
    const auto usage = [](ModelUsage u) { return ModelRequestEvent::usage(std::move(u)); };
    const Row rows[] = {
        {"sent, then unbilled", {sent, ModelRequestEvent::unbilled()}, {1, 0, 0, 0, 0, 0, 0}},
        {"sent, then usage", {sent, usage(reported(10, 4, 2, 5))}, {1, 0, 1, 10, 4, 2, 5}},
        {"a request without an answer", {sent, sent, usage(reported(10, 0, 0, 5))}, {2, 1, 1, 10, 0, 0, 5}},
        // The cached and cache-write tokens are parts of the input tokens: without those they are not counted.
        {"usage without output tokens", {sent, usage(reported(10, 3, 1, std::nullopt))}, {1, 0, 0, 0, 0, 0, 0}},
        {"usage without input tokens", {sent, usage(reported(std::nullopt, 3, 1, 5))}, {1, 0, 0, 0, 0, 0, 0}},
        {"more cached tokens than input tokens", {sent, usage(reported(10, 12, 3, 5))}, {1, 0, 1, 10, 10, 0, 5}},
        {"cache writes beyond the uncached input", {sent, usage(reported(10, 4, 9, 5))}, {1, 0, 1, 10, 4, 6, 5}},
        {"negative token counts",
         {sent, usage(reported(-1, 0, 0, 5)), sent, usage(reported(3, -2, -1, 1))},
         {2, 0, 1, 3, 0, 0, 1}},
        // A reader that answers without announcing the request still sent it.
        {"usage without sent", {usage(reported(10, 4, 2, 5))}, {1, 0, 1, 10, 4, 2, 5}},
        {"unbilled without sent", {ModelRequestEvent::unbilled(), sent}, {2, 1, 0, 0, 0, 0, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        StepsModelUsage folded = StepsModelUsage::forSelection(openAI);
        for (const ModelRequestEvent& event : row.events) {
            folded.addRequest(event);
        }
        const Expected& e = row.expected;
        EXPECT_EQ(folded.requests, e.requests);
        EXPECT_EQ(folded.unreportedRequests, e.unreported);
        EXPECT_EQ(folded.reportedTokenRequests, e.reportedTokenRequests);
        EXPECT_EQ(folded.inputTokens, e.input);
        EXPECT_EQ(folded.cachedInputTokens, e.cached);
        EXPECT_EQ(folded.cacheWriteTokens, e.written);
        EXPECT_EQ(folded.outputTokens, e.output);
        EXPECT_EQ(errorOf([&] { folded.validate(); }), std::nullopt);
    }
}

TEST(MonitorCheckRecordsTest, foldingKeepsTimesAndNamesThatTheValidationAccepts)
{
    StepsModelUsage usage = StepsModelUsage::forSelection(ollama);
    EXPECT_EQ(usage.version, 4);
    EXPECT_EQ(usage.ollamaHost, "http://localhost:11434");
    EXPECT_EQ(usage.inferenceSeconds, std::nullopt);

    ModelUsage answer = reported(1, 0, 0, 1);
    answer.durationSeconds = 1.5;
    answer.loadSeconds = 0.25;
    answer.reportedModel = "llama3:8b";
    usage.addRequest(ModelRequestEvent::usage(answer));
    answer.durationSeconds = -2;
    answer.loadSeconds = std::numeric_limits<double>::infinity();
    answer.reportedModel = std::string(257, 'm');
    usage.addRequest(ModelRequestEvent::usage(answer));
    EXPECT_EQ(usage.inferenceSeconds, 1.5);
    EXPECT_EQ(usage.modelLoadSeconds, 0.25);
    EXPECT_EQ(usage.reportedModel, "llama3:8b");
    answer.reportedModel = "";
    usage.addRequest(ModelRequestEvent::usage(answer));
    EXPECT_EQ(usage.reportedModel, "");

    usage.addRequest(ModelRequestEvent::model({ollama, "sha256:abc", 42, "Q4_0"}));
    EXPECT_EQ(usage.modelDigest, "sha256:abc");
    EXPECT_EQ(usage.quantization, "Q4_0");
    usage.addRequest(ModelRequestEvent::model({ollama, "", 42, ""}));
    EXPECT_EQ(usage.modelDigest, std::nullopt);
    EXPECT_EQ(usage.quantization, "");
    usage.addRequest(ModelRequestEvent::model({ollama, std::string(257, 'd'), 42, std::nullopt}));
    EXPECT_EQ(usage.modelDigest, std::nullopt);
    EXPECT_EQ(usage.quantization, std::nullopt);
    EXPECT_EQ(errorOf([&] { usage.validate(); }), std::nullopt);
}

TEST(MonitorCheckRecordsTest, aCheckUsageStaysValidWhateverItsReadersReport)
{
    MonitorCheckUsage usage;
    const Uuid first = Uuid::random();
    EXPECT_EQ(usage.appendEntry(first, 2, openAI), 0u);
    EXPECT_EQ(usage.appendEntry(Uuid::random(), 3, openAI), 1u);

    usage.recordRequest(ModelRequestEvent::usage(reported(10, 40, 7, std::nullopt)), 0);
    usage.recordRequest(ModelRequestEvent::unbilled(), 0);
    usage.recordRequest(ModelRequestEvent::sent(), 1);
    usage.steps[1].usage.inputTokens = largest - 5; // as if the step had read an enormous page already
    usage.steps[1].usage.reportedTokenRequests = 0;
    usage.recordRequest(ModelRequestEvent::usage(reported(100, 0, 0, 1)), 0);
    usage.recordRequest(ModelRequestEvent::sent(), 7); // an index no entry has
    EXPECT_EQ(errorOf([&] { usage.validate(); }), std::nullopt);
    EXPECT_EQ(usage.steps[0].usage.requests, 3);
    EXPECT_EQ(usage.steps[0].usage.unreportedRequests, 0);
    EXPECT_EQ(usage.steps[0].usage.inputTokens, 0); // would have carried the check's total beyond 64 bits
    EXPECT_EQ(usage.steps[0].usage.cachedInputTokens, 0);
    EXPECT_EQ(usage.steps.size(), 2u);

    MonitorCheckUsage legacy;
    legacy.legacy = StepsModelUsage::forSelection(openAI);
    legacy.recordRequest(ModelRequestEvent::sent(), 5);
    EXPECT_EQ(legacy.legacy->requests, 1);
    EXPECT_TRUE(legacy.steps.empty());
}

TEST(MonitorCheckRecordsTest, storedUsageTextsAreReadByTheirVersion)
{
    const std::string usage = R"({"version":4,"model":"gpt-4o","provider":"openAI","requests":1,)"
                              R"("unreportedRequests":0,"inputTokens":5,"cachedInputTokens":0,"cacheWriteTokens":0,)"
                              R"("outputTokens":2)";
    const std::string id = "\"" + Uuid::random().uppercaseString() + "\"";
    const auto current = [&](const std::string& entries) { return R"({"version":5,"steps":[)" + entries + "]}"; };
    const auto entry = [&](const std::string& keys) { return "{" + keys + R"("usage":)" + usage + "}}"; };
    const auto invalid = MonitorStoreError::invalidStoredData();

    struct Row
    {
        const char* name;
        std::string text;
        std::optional<MonitorStoreError> error;
    };

    const Row rows[] = {
        {"the current form without entries", current(""), {}},
        {"an entry without step id and number", current(entry("")), {}},
        {"a legacy version 1 object without provider",
         R"({"version":1,"model":"m","requests":0,"unreportedRequests":0,"inputTokens":0,"cachedInputTokens":0,)"
         R"("cacheWriteTokens":0,"outputTokens":0,"note":true})",
         {}},
        {"a legacy version 3 object without provider",
         R"({"version":3,"model":"m","requests":0,"unreportedRequests":0,"inputTokens":0,"cachedInputTokens":0,)"
         R"("cacheWriteTokens":0,"outputTokens":0})",
         invalid},
        {"version 6", R"({"version":6,"steps":[]})", invalid},
        {"version 0", R"({"version":0,"steps":[]})", invalid},
        {"version 5 without steps", R"({"version":5})", invalid},
        {"no version", R"({"steps":[]})", invalid},
        {"not JSON", "{", invalid},
        {"a step id without a step number", current(entry(R"("stepID":)" + id + ",")), invalid},
        {"step number 0", current(entry(R"("stepID":)" + id + R"(,"stepNumber":0,)")), invalid},
        {"a step number without a step id", current(entry(R"("stepNumber":1,)")), invalid},
        {"a step id twice",
         current(entry(R"("stepID":)" + id + R"(,"stepNumber":1,)") + "," +
                 entry(R"("stepID":)" + id + R"(,"stepNumber":2,)")),
         invalid},
        {"a counter of the wrong type",
         current(entry("")).replace(current(entry("")).find("\"requests\":1"), 12, "\"requests\":\"1\""),
         invalid},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(errorOf([&] { MonitorCheckUsage::decodeStored(std::string_view(row.text)); }), row.error);
    }
    EXPECT_EQ(MonitorCheckUsage::decodeStored(std::nullopt), std::nullopt);
}

TEST(MonitorCheckRecordsTest, theUsageValidationRefusesImpossibleCounters)
{
    struct Row
    {
        const char* name;
        std::function<void(StepsModelUsage&)> change;
        std::optional<MonitorStoreError> error;
    };

    const auto invalid = MonitorStoreError::invalidStoredData();
    const Row rows[] = {
        {"a fresh usage", [](StepsModelUsage&) {}, {}},
        {"5 cached of 4 input tokens", [](StepsModelUsage& u) { u.inputTokens = 4, u.cachedInputTokens = 5; }, invalid},
        {"cache writes beyond the uncached input",
         [](StepsModelUsage& u) { u.inputTokens = 4, u.cachedInputTokens = 2, u.cacheWriteTokens = 3; },
         invalid},
        {"more reported-token requests than requests",
         [](StepsModelUsage& u) { u.reportedTokenRequests = 1; },
         invalid},
        {"negative unreported requests", [](StepsModelUsage& u) { u.unreportedRequests = -1; }, invalid},
        {"a negative inference time", [](StepsModelUsage& u) { u.inferenceSeconds = -0.5; }, invalid},
        {"a model name of 257 bytes", [](StepsModelUsage& u) { u.model = std::string(257, 'm'); }, invalid},
        {"version 5", [](StepsModelUsage& u) { u.version = 5; }, invalid},
        {"an Ollama host on an OpenAI usage",
         [](StepsModelUsage& u) { u.ollamaHost = "http://localhost:11434"; },
         invalid},
        {"an Ollama host that is not normalised",
         [](StepsModelUsage& u) {
             u.provider = ModelSelection::Provider::ollama;
             u.ollamaHost = "http://LOCALHOST:11434";
         },
         invalid},
        {"an Ollama host that does not normalise",
         [](StepsModelUsage& u) {
             u.provider = ModelSelection::Provider::ollama;
             u.ollamaHost = "ftp://localhost";
         },
         MonitorStoreError::validation(storage_messages::ollamaHostFormat)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        StepsModelUsage usage = StepsModelUsage::forSelection(openAI);
        row.change(usage);
        EXPECT_EQ(errorOf([&] { usage.validate(); }), row.error);
    }

    MonitorCheckUsage overflowing;
    for (int i = 0; i < 2; ++i) {
        overflowing.appendEntry(Uuid::random(), i + 1, openAI);
        overflowing.steps.back().usage.requests = largest;
    }
    EXPECT_EQ(errorOf([&] { overflowing.validate(); }), invalid);
}

TEST(MonitorCheckRecordsTest, theStoredFormRoundTripsInBothForms)
{
    MonitorCheckUsage usage;
    const Uuid step = Uuid::random();
    usage.appendEntry(step, 2, ollama);
    ModelUsage answer = reported(10, 4, 2, 5);
    answer.durationSeconds = 2.0;
    usage.recordRequest(ModelRequestEvent::sent(), 0);
    usage.recordRequest(ModelRequestEvent::usage(answer), 0);
    const std::string text = usage.storedText();
    EXPECT_NE(text.find(R"("ollamaHost":"http:\/\/localhost:11434")"), std::string::npos) << text;
    EXPECT_NE(text.find(R"("stepID":")" + step.uppercaseString() + "\""), std::string::npos) << text;
    EXPECT_NE(text.find(R"("inferenceSeconds":2,)"), std::string::npos) << text;
    EXPECT_NE(text.find(R"("version":5)"), std::string::npos) << text;
    EXPECT_EQ(MonitorCheckUsage::decodeStored(std::string_view(text)), usage);

    MonitorCheckUsage legacy;
    legacy.legacy = StepsModelUsage::forSelection(openAI);
    legacy.legacy->version = 2;
    const std::string legacyText = legacy.storedText();
    EXPECT_EQ(legacyText.find("steps"), std::string::npos);
    EXPECT_NE(legacyText.find(R"("version":2)"), std::string::npos);
    EXPECT_EQ(MonitorCheckUsage::decodeStored(std::string_view(legacyText)), legacy);

    legacy.legacy->inputTokens = -1;
    EXPECT_EQ(errorOf([&] { static_cast<void>(legacy.storedText()); }), MonitorStoreError::invalidStoredData());
}

TEST(MonitorCheckRecordsTest, recordsAreValidatedAsAWhole)
{
    const auto reading = [](std::string name, ReadingValue value, Uuid id = Uuid::random()) {
        return Reading{id, std::move(name), std::move(value)};
    };
    const Uuid sameID = Uuid::random();

    struct Row
    {
        const char* name;
        std::function<void(MonitorCheckRecord&)> change;
        bool valid;
    };

    const Row rows[] = {
        {"a succeeded check with its readings", [](MonitorCheckRecord&) {}, true},
        {"a text of exactly 65536 bytes",
         [&](MonitorCheckRecord& r) {
             r.readings[1] = reading("Stock", ReadingValue::ofText(std::string(65536, 't')));
         },
         true},
        {"a text of 65537 bytes",
         [&](MonitorCheckRecord& r) {
             r.readings[1] = reading("Stock", ReadingValue::ofText(std::string(65537, 't')));
         },
         false},
        {"a failure with readings",
         [](MonitorCheckRecord& r) { r.check.failure.emplace("execution_failed", "No."); },
         false},
        {"a reading count that differs", [](MonitorCheckRecord& r) { r.check.readingCount = 3; }, false},
        {"completion a millisecond before the start",
         [](MonitorCheckRecord& r) { r.check.completedAtMilliseconds = 99; },
         false},
        {"two readings with one id",
         [&](MonitorCheckRecord& r) {
             r.readings[0].id = sameID;
             r.readings[1].id = sameID;
         },
         false},
        {"a name of only spaces", [](MonitorCheckRecord& r) { r.readings[0].fieldName = " \n"; }, false},
        {"a number that is not finite",
         [&](MonitorCheckRecord& r) { r.readings[0].value = ReadingValue::ofNumber(std::nan("")); },
         false},
        {"an invalid usage",
         [](MonitorCheckRecord& r) {
             r.check.usage.emplace();
             r.check.usage->appendEntry(Uuid::random(), 0, openAI);
         },
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MonitorCheckRecord record;
        record.check = MonitorCheck{Uuid::random(), Uuid::random(), 100, 100, std::nullopt, 2, std::nullopt};
        record.readings = {reading(" Price ", ReadingValue::ofNumber(1.5)), reading("Stock", ReadingValue::ofText(""))};
        row.change(record);
        EXPECT_EQ(!errorOf([&] { record.validate(); }).has_value(), row.valid);
    }
}

} // namespace
} // namespace tavlen
