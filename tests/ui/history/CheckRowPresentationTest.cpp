#include "CheckRowPresentation.h"

#include "HistoryListState.h"

#include <gtest/gtest.h>

namespace tavlen::ui {
namespace {

// 2023-11-14 22:13:20 UTC, 5:13:20 PM in New York.
constexpr std::int64_t start = 1'700'000'000'000;

MonitorCheck checkWith(std::optional<MonitorCheckFailure> failure, std::optional<MonitorCheckUsage> usage = {})
{
    return MonitorCheck{Uuid::random(), Uuid::random(), start, start + 1500, std::move(failure), 0, std::move(usage)};
}

std::vector<Reading> readings(int count)
{
    std::vector<Reading> list;
    for (int i = 0; i < count; ++i) {
        list.push_back(Reading{Uuid::random(), "Field " + std::to_string(i), ReadingValue::ofNumber(i)});
    }
    return list;
}

TEST(CheckRowPresentationTest, theOutcomeFollowsTheFailureCode)
{
    struct Row
    {
        const char* name;
        std::optional<MonitorCheckFailure> failure;
        CheckOutcomePresentation presentation;
    };

    const Row rows[] = {
        {"no failure",
         std::nullopt,
         {QStringLiteral("Succeeded"), QStringLiteral("checkmark.circle"), OutcomeTint::green}},
        {"cancelled",
         MonitorCheckFailure("cancelled", "Stopped"),
         {QStringLiteral("Cancelled"), QStringLiteral("minus.circle"), OutcomeTint::secondary}},
        {"any other code",
         MonitorCheckFailure("execution_failed", "Boom"),
         {QStringLiteral("Failed"), QStringLiteral("xmark.circle"), OutcomeTint::red}},
        {"a code that only starts like cancelled",
         MonitorCheckFailure("cancelled_by_page", "Boom"),
         {QStringLiteral("Failed"), QStringLiteral("xmark.circle"), OutcomeTint::red}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(presentationOf(checkWith(row.failure).outcome()), row.presentation);
    }
}

TEST(CheckRowPresentationTest, theExpandControlNamesItsActionAndTheCheck)
{
    const ExpandControlTexts collapsed = expandControlTexts(false, start);
    EXPECT_EQ(collapsed.symbolName, QStringLiteral("chevron.right"));
    EXPECT_EQ(collapsed.label, QStringLiteral("Expand check from Nov 14, 2023, 5:13:20\u202fPM"));
    EXPECT_EQ(collapsed.value, QStringLiteral("Collapsed"));
    EXPECT_EQ(collapsed.help, QStringLiteral("Expand usage and check details"));

    const ExpandControlTexts expanded = expandControlTexts(true, start);
    EXPECT_EQ(expanded.symbolName, QStringLiteral("chevron.down"));
    EXPECT_EQ(expanded.label, QStringLiteral("Collapse check from Nov 14, 2023, 5:13:20\u202fPM"));
    EXPECT_EQ(expanded.value, QStringLiteral("Expanded"));
    EXPECT_EQ(expanded.help, QStringLiteral("Collapse check details"));
}

TEST(CheckRowPresentationTest, aListShowsFiveReadingsUntilAllAreAskedFor)
{
    struct Row
    {
        const char* name;
        int count;
        bool showAll;
        std::size_t shown;
        std::optional<QString> toggle;
        QString value;
    };

    const Row rows[] = {
        {"five", 5, false, 5, std::nullopt, QStringLiteral("First 5 readings")},
        {"six", 6, false, 5, QStringLiteral("Show 1 more"), QStringLiteral("First 5 readings")},
        {"six, all asked for", 6, true, 6, QStringLiteral("Show fewer"), QStringLiteral("All readings")},
        {"eight", 8, false, 5, QStringLiteral("Show 3 more"), QStringLiteral("First 5 readings")},
        {"1,005", 1005, false, 5, QStringLiteral("Show 1,000 more"), QStringLiteral("First 5 readings")},
        {"one", 1, false, 1, std::nullopt, QStringLiteral("First 5 readings")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<Reading> all = readings(row.count);
        const ReadingsList list = readingsListOf(all, row.showAll);
        ASSERT_EQ(list.shown.size(), row.shown);
        EXPECT_TRUE(std::equal(list.shown.begin(), list.shown.end(), all.begin()));
        EXPECT_EQ(list.toggleTitle, row.toggle);
        EXPECT_EQ(list.toggleValue, row.value);
    }
}

TEST(CheckRowPresentationTest, theReadingsColumnTakesTheFirstRuleThatHolds)
{
    const std::vector<Reading> two = readings(2);
    const std::vector<Reading> none;
    const std::string error = "Could not load readings.";
    const MonitorCheck succeeded = checkWith(std::nullopt);
    const MonitorCheck failed = checkWith(MonitorCheckFailure("execution_failed", "The page\nwould not\tload"));
    const MonitorCheck longFailure = checkWith(MonitorCheckFailure("execution_failed", std::string(201, 'x')));

    struct Row
    {
        const char* name;
        const MonitorCheck& check;
        const std::vector<Reading>* readings;
        const std::string* error;
        ReadingsColumn::Kind kind;
        QString text;
    };

    const Row rows[] = {
        {"a failure on one line",
         failed,
         nullptr,
         nullptr,
         ReadingsColumn::Kind::failurePreview,
         QStringLiteral("The page would not load")},
        {"a failure wins over loaded readings",
         failed,
         &two,
         &error,
         ReadingsColumn::Kind::failurePreview,
         QStringLiteral("The page would not load")},
        {"a failure of 201 characters",
         longFailure,
         nullptr,
         nullptr,
         ReadingsColumn::Kind::failurePreview,
         QString(199, QLatin1Char('x')) + QStringLiteral("\u2026")},
        {"loaded readings", succeeded, &two, nullptr, ReadingsColumn::Kind::readings, {}},
        {"loaded readings win over an old error", succeeded, &two, &error, ReadingsColumn::Kind::readings, {}},
        {"no readings stored",
         succeeded,
         &none,
         nullptr,
         ReadingsColumn::Kind::noReadings,
         QStringLiteral("No readings")},
        {"the load failed",
         succeeded,
         nullptr,
         &error,
         ReadingsColumn::Kind::loadFailed,
         QStringLiteral("Could not load readings.")},
        {"nothing yet",
         succeeded,
         nullptr,
         nullptr,
         ReadingsColumn::Kind::loading,
         QStringLiteral("Loading readings\u2026")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const ReadingsColumn column = readingsColumnOf(row.check, row.readings, row.error, false);
        EXPECT_EQ(column.kind, row.kind);
        EXPECT_EQ(column.text, row.text);
        if (row.kind == ReadingsColumn::Kind::readings) {
            EXPECT_EQ(column.list.shown.size(), 2u);
        }
    }
}

TEST(CheckRowPresentationTest, theUsageSectionSaysWhatThereIsToShow)
{
    StepsModelUsage asked;
    asked.model = "gpt-4o";
    asked.requests = 2;
    StepsModelUsage unasked;
    unasked.model = "gpt-4o";
    MonitorCheckUsage steps;
    steps.steps = {{Uuid::random(), 2, asked}, {Uuid::random(), 3, unasked}};
    MonitorCheckUsage idle;
    idle.steps = {{Uuid::random(), 2, unasked}};
    MonitorCheckUsage legacy;
    legacy.legacy = asked;

    struct Row
    {
        const char* name;
        std::optional<MonitorCheckUsage> usage;
        bool unavailable;
        bool noModelRequests;
        std::size_t entries;
    };

    const Row rows[] = {
        {"no usage stored", std::nullopt, true, false, 0},
        {"steps that asked", steps, false, false, 2},
        {"steps that never asked: the note above the grid", idle, false, true, 1},
        {"a usage without steps: the note alone", MonitorCheckUsage{}, false, true, 0},
        {"a legacy total: one entry without a step", legacy, false, false, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const UsageSection section = usageSectionOf(row.usage);
        EXPECT_EQ(section.unavailable, row.unavailable);
        EXPECT_EQ(section.noModelRequests, row.noModelRequests);
        EXPECT_EQ(section.entries.size(), row.entries);
    }
    const UsageSection old = usageSectionOf(legacy);
    EXPECT_EQ(old.entries.front().stepNumber, std::nullopt);
    EXPECT_EQ(old.entries.front().stepID, std::nullopt);
    EXPECT_EQ(old.entries.front().usage, asked);
}

TEST(HistoryListStateTest, theContentFollowsTheModelsFlags)
{
    struct Row
    {
        const char* name;
        HistoryListFlags flags;
        HistoryContent content;
    };

    // hasChecks, hasLoaded, isRefreshing, isLoadingOlder, hasOlder, hasError, hasOlderError
    const Row rows[] = {
        {"before the first load", {}, HistoryContent::loading},
        {"refreshing an empty list after a load", {false, true, true}, HistoryContent::loading},
        {"retrying after a failed first load", {false, false, true, false, false, true}, HistoryContent::loading},
        {"loaded and empty", {false, true}, HistoryContent::empty},
        {"loaded, empty, and a later refresh failed", {false, true, false, false, false, true}, HistoryContent::empty},
        {"never loaded and failed: the banner alone", {false, false, false, false, false, true}, HistoryContent::blank},
        {"checks", {true, true}, HistoryContent::list},
        {"checks while refreshing", {true, true, true}, HistoryContent::list},
        {"no checks but older ones", {false, true, false, false, true}, HistoryContent::list},
        {"no checks and the older page failed", {false, true, false, false, false, false, true}, HistoryContent::list},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(historyContentOf(row.flags), row.content);
    }
}

TEST(HistoryListStateTest, theFooterTakesTheFirstStateThatHolds)
{
    struct Row
    {
        const char* name;
        HistoryListFlags flags;
        HistoryFooter footer;
    };

    // hasChecks, hasLoaded, isRefreshing, isLoadingOlder, hasOlder, hasError, hasOlderError
    const Row rows[] = {
        {"nothing older", {true, true}, HistoryFooter::none},
        {"older checks", {true, true, false, false, true}, HistoryFooter::loadOlder},
        {"the older page failed", {true, true, false, false, true, false, true}, HistoryFooter::olderError},
        {"loading wins over a failure", {true, true, false, true, true, false, true}, HistoryFooter::loadingOlder},
        {"loading", {true, true, false, true, true}, HistoryFooter::loadingOlder},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(historyFooterOf(row.flags), row.footer);
    }
}

TEST(HistoryListStateTest, theDeletionMessageNamesTheChecksStart)
{
    EXPECT_EQ(deletionMessage(checkWith(std::nullopt)),
              QStringLiteral("Permanently delete the check from Nov 14, 2023, 5:13:20\u202fPM and its saved readings? "
                             "This can\u2019t be undone."));
}

} // namespace
} // namespace tavlen::ui
