#include "CheckUsageGrid.h"

#include "CheckUsageText.h"

#include <QLabel>

#include <gtest/gtest.h>

#include <limits>

namespace tavlen::ui {
namespace {

StepsModelUsage usage(std::int64_t requests,
                      std::int64_t unreported,
                      std::optional<std::int64_t> reported,
                      std::int64_t input,
                      std::int64_t output)
{
    StepsModelUsage usage;
    usage.model = "gpt-4o";
    usage.requests = requests;
    usage.unreportedRequests = unreported;
    usage.reportedTokenRequests = reported;
    usage.inputTokens = input;
    usage.outputTokens = output;
    return usage;
}

TEST(CheckUsageTextTest, tokensSayWhenSomeOrAllRequestsDidNotReport)
{
    struct Row
    {
        const char* name;
        StepsModelUsage usage;
        QString input;
    };

    const Row rows[] = {
        {"every request reported", usage(2, 0, 2, 1234, 56), QStringLiteral("1,234")},
        {"one of three unreported", usage(3, 1, 2, 1234, 56), QStringLiteral("1,234 (partial)")},
        {"none reported", usage(2, 0, 0, 0, 0), QStringLiteral("\u2014")},
        {"without a reported count, requests minus unreported count",
         usage(2, 0, std::nullopt, 10, 5),
         QStringLiteral("10")},
        {"fewer reported than answered", usage(3, 0, 2, 10, 5), QStringLiteral("10 (partial)")},
        {"no requests", usage(0, 0, std::nullopt, 0, 0), QStringLiteral("\u2014")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(tokensText(row.usage, TokenKind::input), row.input);
    }
}

TEST(CheckUsageTextTest, totalsSumWhatWasReportedAndMarkWhatWasNot)
{
    StepsModelUsage timed = usage(1, 0, 1, 100, 10);
    timed.inferenceSeconds = 1.5;
    const StepsModelUsage untimed = usage(2, 0, 0, 0, 0);
    const std::vector<StepsModelUsage> usages{timed, untimed};

    EXPECT_EQ(totalSecondsText(usages, SecondsField::inference), QStringLiteral("1.5 s (partial)"));
    EXPECT_EQ(totalSecondsText(usages, SecondsField::modelLoad), QStringLiteral("\u2014"));
    EXPECT_EQ(totalTokensText(usages, TokenKind::input), QStringLiteral("100 (partial)"));
    EXPECT_EQ(totalTokensText({timed}, TokenKind::output), QStringLiteral("10"));
    EXPECT_EQ(totalRequestsText(usages), QStringLiteral("3"));
    EXPECT_EQ(secondsText(2.345), QStringLiteral("2.3 s"));
    StepsModelUsage infinite = timed;
    infinite.inferenceSeconds = std::numeric_limits<double>::infinity();
    EXPECT_EQ(totalSecondsText({infinite}, SecondsField::inference), QStringLiteral("\u2014"));
}

TEST(CheckUsageTextTest, aSumBeyondTheCountersRangeStopsAndSaysSo)
{
    const std::int64_t largest = std::numeric_limits<std::int64_t>::max();
    const std::vector<StepsModelUsage> usages{usage(largest, 0, std::nullopt, largest, 1),
                                              usage(largest, 0, std::nullopt, largest, 1)};
    EXPECT_EQ(totalRequestsText(usages), QStringLiteral("\u2265 9,223,372,036,854,775,807"));
    EXPECT_EQ(totalTokensText(usages, TokenKind::input), QStringLiteral("\u2265 9,223,372,036,854,775,807"));
    EXPECT_EQ(totalTokensText(usages, TokenKind::output), QStringLiteral("2"));
}

TEST(CheckUsageTextTest, modelDetailsAndNames)
{
    StepsModelUsage ollama = usage(1, 0, 1, 1, 1);
    ollama.model = "llama3";
    ollama.provider = ModelSelection::Provider::ollama;
    ollama.ollamaHost = "http://127.0.0.1:11434";
    ollama.reportedModel = "llama3:latest";
    ollama.modelDigest = "sha256:abc";
    ollama.quantization = "Q4_0";
    EXPECT_EQ(modelDetailsText(ollama),
              QStringLiteral("Ollama\nRequested: llama3\nReported: llama3:latest\nServer: http://127.0.0.1:11434\n"
                             "Digest: sha256:abc\nQuantization: Q4_0"));
    EXPECT_EQ(providerDisplayName(std::nullopt), QStringLiteral("OpenAI"));
    EXPECT_EQ(providerDisplayName(ModelSelection::Provider::anthropic), QStringLiteral("Anthropic"));
    EXPECT_EQ(stepText(3), QStringLiteral("Read 3"));
    EXPECT_EQ(stepText(std::nullopt), QStringLiteral("\u2014"));
    EXPECT_EQ(usageCellLabel(QStringLiteral("Loading"), QStringLiteral("\u2014")),
              QStringLiteral("Loading: Unavailable"));
}

TEST(CheckUsageGridTest, theTotalRowCellsAreNamedAndSpoken)
{
    StepsModelUsage first = usage(2, 1, 1, 1000, 20);
    first.inferenceSeconds = 0.75;
    const CheckUsageGrid grid({{Uuid::random(), 2, first}, {std::nullopt, std::nullopt, usage(1, 0, 1, 500, 5)}});
    const auto* input = grid.findChild<QLabel*>(QStringLiteral("check-usage-total-input-tokens"));
    ASSERT_TRUE(input);
    EXPECT_EQ(input->text(), QStringLiteral("1,500 (partial)"));
    const auto* loading = grid.findChild<QLabel*>(QStringLiteral("check-usage-total-loading"));
    ASSERT_TRUE(loading);
    EXPECT_EQ(loading->accessibleName(), QStringLiteral("Total loading: Unavailable"));
    EXPECT_EQ(grid.accessibleName(), QStringLiteral("Step model statistics"));
}

} // namespace
} // namespace tavlen::ui
