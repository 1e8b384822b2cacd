#include "ReadingResultsText.h"

#include <gtest/gtest.h>

namespace tavlen::ui {
namespace {

using namespace std::chrono_literals;
using Execution = StepsExecutionState::Kind;

TEST(ReadingResultsTextTest, valuesReadAsTheUserReadsThem)
{
    const struct
    {
        const char* name;
        ReadingValue value;
        QString text;
    } cases[]{
        {"a whole number has no separator or zeros", ReadingValue::ofNumber(3), u"3"_qs},
        {"a half keeps its one decimal", ReadingValue::ofNumber(0.5), u"0.5"_qs},
        {"the shortest digits that read back", ReadingValue::ofNumber(0.1), u"0.1"_qs},
        {"thousands are grouped", ReadingValue::ofNumber(1234567.25), u"1,234,567.25"_qs},
        {"negative numbers", ReadingValue::ofNumber(-42.75), u"-42.75"_qs},
        {"seventeen significant digits at most",
         ReadingValue::ofNumber(0.30000000000000004),
         u"0.30000000000000004"_qs},
        {"a text as read", ReadingValue::ofText("  In stock: 3 left "), u"  In stock: 3 left "_qs},
        {"an empty text", ReadingValue::ofText(""), QString()},
    };

    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(readingValueText(row.value), row.text);
    }
    const Reading price{Uuid::random(), "Price", ReadingValue::ofNumber(19.5)};
    EXPECT_EQ(readingPillHelp(price), u"Price: 19.5"_qs);
}

TEST(ReadingResultsTextTest, runningTimesShowAtMostTwoWholeUnits)
{
    const struct
    {
        const char* name;
        std::chrono::nanoseconds duration;
        QString text;
    } cases[]{
        {"milliseconds alone", 250ms, u"250ms"_qs},
        {"seconds and milliseconds", 2345ms, u"2s 345ms"_qs},
        {"no fraction of a millisecond", 1999999ns, u"1ms"_qs},
        {"minutes and seconds, milliseconds dropped", 65432ms, u"1m 5s"_qs},
        {"zero units hidden", 3600500ms, u"1h"_qs},
        {"hours and minutes", 3723s, u"1h 2m"_qs},
        {"zero", 0ns, u"0ms"_qs},
    };

    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(executionDurationText(row.duration), row.text);
    }
}

TEST(ReadingResultsTextTest, theTestControlFollowsTheStepAndTheStore)
{
    const QString help =
        u"Test through this step. Results aren\u2019t added to History. Earlier successful steps may be reused."_qs;

    const struct
    {
        const char* name;
        StepKind kind;
        Execution execution;
        bool isExecuting;
        std::optional<QString> reason;
        StepsTestControlState expected;
    } cases[]{
        {"an idle Read step can be tested",
         StepKind::read,
         Execution::unexecuted,
         false,
         std::nullopt,
         {false, true, help, u"Test step: Read"_qs, u"Not checked"_qs}},
        {"another check running disables it but keeps the sentence",
         StepKind::openPage,
         Execution::succeeded,
         true,
         std::nullopt,
         {false, false, help, u"Test step: Open page"_qs, u"Succeeded"_qs}},
        {"a reason disables it and becomes its help",
         StepKind::read,
         Execution::failed,
         false,
         u"Add an AI model first."_qs,
         {false, false, u"Add an AI model first."_qs, u"Test step: Read"_qs, u"Failed"_qs}},
        {"a running step shows the spinner",
         StepKind::openPage,
         Execution::running,
         true,
         std::nullopt,
         {true, false, QString(), u"Executing Open page"_qs, u"In progress\u2026"_qs}},
    };

    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        const StepsTestControlState state = testControlState(row.kind, row.execution, row.isExecuting, row.reason);
        EXPECT_EQ(state.showsSpinner, row.expected.showsSpinner);
        EXPECT_EQ(state.isEnabled, row.expected.isEnabled);
        EXPECT_EQ(state.help, row.expected.help);
        EXPECT_EQ(state.accessibleName, row.expected.accessibleName);
        EXPECT_EQ(state.accessibleValue, row.expected.accessibleValue);
    }
}

} // namespace
} // namespace tavlen::ui
