#include "ScheduleCalculator.h"

#include "Iso8601.h"
#include "MonitorStoreError.h"
#include "ScheduleTestSupport.h"
#include "ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace tavlen {
namespace {

using namespace test;

constexpr const char* berlin = "Europe/Berlin";
constexpr const char* newYork = "America/New_York";
// Clocks go from 00:00 straight to 01:00 on 2026-09-06.
constexpr const char* santiago = "America/Santiago";
const WeekdaySet mondayToFriday{2, 3, 4, 5, 6};

struct Row
{
    const char* name;
    const char* zone;
    ScheduleRule rule;
    const char* enabledAt;
    const char* nextDue; // ignored for at-rules when null
    std::optional<std::string> cursor;
    const char* now;
    const char* due; // nullptr: no occurrence
    std::optional<std::string> expectedCursor;
};

TEST(ScheduleCalculatorTest, nextOccurrence_followsLocalWallClock)
{
    const auto officeHours = every(30, mondayToFriday, ScheduleWindow{540, 1020});
    const auto lateEvening = every(60, allDays, ScheduleWindow{1320, 1440});
    const Row rows[] = {
        // Every-rules.
        {"hourly, asked before it is due",
         berlin,
         every(60, allDays),
         "2026-03-02T10:00:00+01:00",
         "2026-03-02T11:00:00+01:00",
         {},
         "2026-03-02T10:30:00+01:00",
         "2026-03-02T11:00:00+01:00",
         {}},
        {"hourly, asked exactly at the due time",
         berlin,
         every(60, allDays),
         "2026-03-02T10:00:00+01:00",
         "2026-03-02T11:00:00+01:00",
         {},
         "2026-03-02T11:00:00+01:00",
         "2026-03-02T11:00:00+01:00",
         {}},
        {"overdue inside the window falls due at once",
         berlin,
         officeHours,
         "2026-03-02T09:00:00+01:00",
         "2026-03-06T16:45:00+01:00",
         {},
         "2026-03-06T16:50:00+01:00",
         "2026-03-06T16:45:00+01:00",
         {}},
        {"due after Friday's window moves to Monday's start",
         berlin,
         officeHours,
         "2026-03-02T09:00:00+01:00",
         "2026-03-06T17:10:00+01:00",
         {},
         "2026-03-06T17:20:00+01:00",
         "2026-03-09T09:00:00+01:00",
         {}},
        {"missed over the weekend, asked before the window",
         berlin,
         officeHours,
         "2026-03-02T09:00:00+01:00",
         "2026-03-07T03:00:00+01:00",
         {},
         "2026-03-09T08:00:00+01:00",
         "2026-03-09T09:00:00+01:00",
         {}},
        {"missed over the weekend, asked inside the window",
         berlin,
         officeHours,
         "2026-03-02T09:00:00+01:00",
         "2026-03-07T03:00:00+01:00",
         {},
         "2026-03-09T10:00:00+01:00",
         "2026-03-09T09:00:00+01:00",
         {}},
        {"window ending at 1440 allows the last second",
         berlin,
         lateEvening,
         "2026-03-02T09:00:00+01:00",
         "2026-03-02T23:59:30+01:00",
         {},
         "2026-03-02T23:59:45+01:00",
         "2026-03-02T23:59:30+01:00",
         {}},
        {"window ending at 1440 excludes the following midnight",
         berlin,
         lateEvening,
         "2026-03-02T09:00:00+01:00",
         "2026-03-03T00:00:00+01:00",
         {},
         "2026-03-02T23:00:00+01:00",
         "2026-03-03T22:00:00+01:00",
         {}},
        {"window starting in the skipped hour opens when clocks reach 03:00",
         berlin,
         every(60, {1}, ScheduleWindow{150, 240}),
         "2026-03-28T09:00:00+01:00",
         "2026-03-29T00:00:00+01:00",
         {},
         "2026-03-29T00:00:00+01:00",
         "2026-03-29T03:00:00+02:00",
         {}},
        {"window on the repeated hour's day ends at its local end",
         newYork,
         every(60, {1}, ScheduleWindow{0, 90}),
         "2026-10-31T09:00:00-04:00",
         "2026-11-01T01:45:00-05:00",
         {},
         "2026-11-01T01:45:00-05:00",
         "2026-11-08T00:00:00-05:00",
         {}},
        {"weekday filter skips to the next allowed day",
         newYork,
         every(15, {4}),
         "2026-03-02T09:00:00-05:00",
         "2026-03-02T10:00:00-05:00",
         {},
         "2026-03-02T10:00:00-05:00",
         "2026-03-04T00:00:00-05:00",
         {}},
        {"a day without midnight starts at its first instant",
         santiago,
         every(60, {1}),
         "2026-09-05T09:00:00-04:00",
         "2026-09-05T12:00:00-04:00",
         {},
         "2026-09-05T12:00:00-04:00",
         "2026-09-06T01:00:00-03:00",
         {}},
        // At-rules.
        {"fresh at-rule passes over the morning time",
         berlin,
         clock({540, 1020}, allDays),
         "2026-03-02T12:00:00+01:00",
         nullptr,
         {},
         "2026-03-02T12:00:00+01:00",
         "2026-03-02T17:00:00+01:00",
         "202603021700"},
        {"missed times of one day coalesce into the latest",
         berlin,
         clock({540, 720, 1020}, allDays),
         "2026-03-01T12:00:00+01:00",
         nullptr,
         "202603020900",
         "2026-03-02T18:00:00+01:00",
         "2026-03-02T17:00:00+01:00",
         "202603021700"},
        {"days away are not made up",
         berlin,
         clock({540}, allDays),
         "2026-03-01T12:00:00+01:00",
         nullptr,
         "202603020900",
         "2026-03-05T08:00:00+01:00",
         "2026-03-05T09:00:00+01:00",
         "202603050900"},
        {"clock set back does not repeat a taken time",
         berlin,
         clock({540}, allDays),
         "2026-03-01T12:00:00+01:00",
         nullptr,
         "202603020900",
         "2026-03-02T08:00:00+01:00",
         "2026-03-03T09:00:00+01:00",
         "202603030900"},
        {"weekday filter picks Wednesday",
         berlin,
         clock({540}, {2, 4, 6}),
         "2026-03-03T08:00:00+01:00",
         nullptr,
         {},
         "2026-03-03T10:00:00+01:00",
         "2026-03-04T09:00:00+01:00",
         "202603040900"},
        {"time in the skipped hour falls due at 03:00 with its own key",
         berlin,
         clock({150}, allDays),
         "2026-03-28T12:00:00+01:00",
         nullptr,
         {},
         "2026-03-29T00:30:00+01:00",
         "2026-03-29T03:00:00+02:00",
         "202603290230"},
        {"two times in the gap fall due once with the larger key",
         berlin,
         clock({135, 165}, allDays),
         "2026-03-28T12:00:00+01:00",
         nullptr,
         {},
         "2026-03-29T00:30:00+01:00",
         "2026-03-29T03:00:00+02:00",
         "202603290245"},
        {"the smaller gap key never falls due afterwards",
         berlin,
         clock({135, 165}, allDays),
         "2026-03-28T12:00:00+01:00",
         nullptr,
         "202603290245",
         "2026-03-29T03:00:00+02:00",
         "2026-03-30T02:15:00+02:00",
         "202603300215"},
        {"repeated time falls due at its first instance",
         newYork,
         clock({90}, allDays),
         "2026-10-31T12:00:00-04:00",
         nullptr,
         {},
         "2026-11-01T00:30:00-04:00",
         "2026-11-01T01:30:00-04:00",
         "202611010130"},
        {"repeated time falls due only once",
         newYork,
         clock({90}, allDays),
         "2026-10-31T12:00:00-04:00",
         nullptr,
         "202611010130",
         "2026-11-01T01:40:00-05:00",
         "2026-11-02T01:30:00-05:00",
         "202611020130"},
        {"repeated hour in Berlin",
         berlin,
         clock({150}, {1}),
         "2026-10-24T12:00:00+02:00",
         nullptr,
         {},
         "2026-10-25T02:10:00+02:00",
         "2026-10-25T02:30:00+02:00",
         "202610250230"},
        {"spring-forward day in New York",
         newYork,
         clock({150, 600}, {1}),
         "2026-03-07T12:00:00-05:00",
         nullptr,
         {},
         "2026-03-08T01:00:00-05:00",
         "2026-03-08T03:00:00-04:00",
         "202603080230"},
        {"00:00 on a day without midnight falls due at its first instant",
         santiago,
         clock({0}, {1}),
         "2026-09-05T12:00:00-04:00",
         nullptr,
         {},
         "2026-09-05T23:00:00-04:00",
         "2026-09-06T01:00:00-03:00",
         "202609060000"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto calculator = ScheduleCalculator::inZone(row.zone);
        const ScheduleState state{
            2, at(row.enabledAt), row.nextDue ? at(row.nextDue) : ScheduleState::distantFuture(), row.cursor};
        const auto occurrence = calculator.nextOccurrence(row.rule, state, at(row.now));
        ASSERT_EQ(occurrence.has_value(), row.due != nullptr);
        if (occurrence) {
            EXPECT_EQ(occurrence->due, at(row.due))
                << occurrence->due.secondsSince1970() - at(row.due).secondsSince1970() << " s off";
            EXPECT_EQ(occurrence->cursor, row.expectedCursor);
        }
    }
}

TEST(ScheduleCalculatorTest, startAndAdvance_countFromTheCheckTime)
{
    const auto calculator = ScheduleCalculator::inZone(berlin);
    const auto officeHours = every(30, mondayToFriday, ScheduleWindow{540, 1020});
    const ScheduleState state{4, at("2026-03-02T09:00:00+01:00"), at("2026-03-02T09:30:00+01:00"), std::nullopt};
    const auto advanced = calculator.advancedState(
        officeHours, state, {at("2026-03-02T09:30:00+01:00"), {}}, at("2026-03-02T10:00:00+01:00"));
    EXPECT_EQ(advanced, (ScheduleState{5, state.enabledAt, at("2026-03-02T10:30:00+01:00"), std::nullopt}));

    // Intervals are real durations: sixty minutes across the skipped hour.
    const auto started =
        ScheduleCalculator::inZone(newYork).startedState(every(60, allDays), at("2026-03-08T01:30:00-05:00"));
    EXPECT_EQ(started,
              (ScheduleState{1, at("2026-03-08T01:30:00-05:00"), at("2026-03-08T03:30:00-04:00"), std::nullopt}));

    // A fresh at-rule waits for its next time; taking it moves the cursor and the next due time.
    const auto twice = clock({1020, 540}, allDays);
    const auto fresh = calculator.startedState(twice, at("2026-03-02T12:00:00+01:00"));
    EXPECT_EQ(fresh.nextDue, at("2026-03-02T17:00:00+01:00"));
    EXPECT_EQ(fresh.cursor, std::nullopt);
    const auto occurrence = calculator.nextOccurrence(twice, fresh, at("2026-03-02T17:00:05+01:00"));
    ASSERT_TRUE(occurrence);
    const auto taken = calculator.advancedState(twice, fresh, *occurrence, at("2026-03-02T17:00:05+01:00"));
    EXPECT_EQ(taken, (ScheduleState{2, fresh.enabledAt, at("2026-03-03T09:00:00+01:00"), "202603021700"}));

    const ScheduleState exhausted{std::numeric_limits<std::int64_t>::max(), fresh.enabledAt, fresh.nextDue, {}};
    try {
        calculator.advancedState(twice, exhausted, *occurrence, at("2026-03-02T17:00:05+01:00"));
        ADD_FAILURE() << "advanced beyond the largest token";
    } catch (const MonitorStoreError& error) {
        EXPECT_EQ(error.kind(), MonitorStoreError::Kind::invalidStoredData);
    }
}

TEST(ScheduleCalculatorTest, currentZone_isDetectedAfreshForEveryCalculator)
{
    {
        const test::ScopedEnvironment inNewYork("TZ", newYork);
        EXPECT_EQ(ScheduleCalculator::inCurrentZone().timeZoneID(), newYork);
    }
    const test::ScopedEnvironment inBerlin("TZ", berlin);
    const auto calculator = ScheduleCalculator::inCurrentZone();
    EXPECT_EQ(calculator.timeZoneID(), berlin);
    EXPECT_EQ(calculator.startedState(clock({540}, allDays), at("2026-03-02T08:00:00+01:00")).nextDue,
              at("2026-03-02T09:00:00+01:00"));

    // The scheduler's database thread and the views ask for the zone at the same time.
    std::vector<std::string> seen(8);
    std::vector<std::thread> threads;
    for (auto& zone : seen) {
        threads.emplace_back([&zone] {
            for (int i = 0; i < 50; ++i) {
                zone = ScheduleCalculator::inCurrentZone().timeZoneID();
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    for (const auto& zone : seen) {
        EXPECT_EQ(zone, berlin);
    }
}

TEST(ScheduleCalculatorTest, largestIntervalAndFarDates_clampToDistantFuture)
{
    const auto calculator = ScheduleCalculator::inZone(newYork);
    const auto longest = every(maximumIntervalMinutes, allDays);
    const Date now = at("2026-03-02T10:00:00-05:00");
    const auto started = calculator.startedState(longest, now);
    EXPECT_EQ(started.nextDue, ScheduleState::distantFuture());
    EXPECT_GT(started.nextDue.milliseconds(), now.milliseconds());
    const auto occurrence = calculator.nextOccurrence(longest, started, now);
    ASSERT_TRUE(occurrence);
    EXPECT_EQ(occurrence->due, ScheduleState::distantFuture());
    EXPECT_EQ(calculator.advancedState(longest, started, *occurrence, now).nextDue, ScheduleState::distantFuture());

    // A stored date beyond the calendar's range is treated as the distant future, not as an error or a wrap.
    const ScheduleState far{1, now, Date::fromSecondsSince1970(1e300), {}};
    const auto windowed = every(maximumIntervalMinutes, {2}, ScheduleWindow{0, 60});
    EXPECT_EQ(calculator.nextOccurrence(windowed, far, now)->due, ScheduleState::distantFuture());
    const ScheduleState farPast{1, Date::fromSecondsSince1970(-1e300), Date::fromSecondsSince1970(-1e300), {}};
    EXPECT_EQ(calculator.nextOccurrence(clock({540}, {2}), farPast, now)->due, at("2026-03-02T09:00:00-05:00"));
}

// Zones whose rules ICU's compiled-in data may not know, and rules past the last transition a zone file lists.
// Each row names the tz database release that first carries the rules it relies on; rows the installed database
// is too old for are skipped with that reason.
TEST(ScheduleCalculatorTest, nextOccurrence_followsTheSystemTzDatabase)
{
    struct ZoneRow
    {
        const char* name;
        const char* needsRelease;
        const char* zone;
        ScheduleRule rule;
        const char* enabledAt;
        const char* nextDue; // ignored for at-rules when null
        std::optional<std::string> cursor;
        const char* now;
        const char* due;
        std::optional<std::string> expectedCursor;
    };

    const ZoneRow rows[] = {
        {"Mexico City keeps standard time since 2022",
         "2022f",
         "America/Mexico_City",
         clock({540}, allDays),
         "2026-06-01T12:00:00-06:00",
         nullptr,
         {},
         "2026-06-02T08:00:00-06:00",
         "2026-06-02T15:00:00Z",
         "202606020900"},
        {"Cairo's 00:30 falls in the 00:00 to 01:00 gap of its daylight time since 2023",
         "2023a",
         "Africa/Cairo",
         clock({30}, allDays),
         "2026-04-23T12:00:00+02:00",
         nullptr,
         {},
         "2026-04-23T20:00:00+02:00",
         "2026-04-23T22:00:00Z",
         "202604240030"},
        {"Lord Howe skips half an hour: 02:15 falls due at 02:30",
         "2008a",
         "Australia/Lord_Howe",
         clock({135}, {1}),
         "2026-10-01T12:00:00+10:30",
         nullptr,
         {},
         "2026-10-04T00:00:00+10:30",
         "2026-10-04T02:30:00+11:00",
         "202610040215"},
        {"Lord Howe repeats half an hour: 01:45 falls due at its first instance",
         "2008a",
         "Australia/Lord_Howe",
         clock({105}, {1}),
         "2026-04-01T12:00:00+11:00",
         nullptr,
         {},
         "2026-04-05T00:00:00+11:00",
         "2026-04-05T01:45:00+11:00",
         "202604050145"},
        {"Apia skipped Friday 30 December 2011: a daily time goes from the 29th to the 31st",
         "2012a",
         "Pacific/Apia",
         clock({540}, allDays),
         "2011-12-28T12:00:00-10:00",
         nullptr,
         "201112290900",
         "2011-12-29T12:00:00-10:00",
         "2011-12-31T09:00:00+14:00",
         "201112310900"},
        {"Apia's Friday-only rule waits for the next Friday that exists",
         "2012a",
         "Pacific/Apia",
         every(60, {6}),
         "2011-12-28T12:00:00-10:00",
         "2011-12-29T12:00:00-10:00",
         {},
         "2011-12-29T12:00:00-10:00",
         "2012-01-06T00:00:00+14:00",
         {}},
        {"an unknown zone is GMT",
         "",
         "Nowhere/Atlantis",
         clock({540}, allDays),
         "2026-06-01T12:00:00Z",
         nullptr,
         {},
         "2026-06-02T08:00:00Z",
         "2026-06-02T09:00:00Z",
         "202606020900"},
        // Zone files list transitions up to 2037; later ones follow the rule at the file's end.
        {"New York's daylight time after 2037",
         "2007a",
         newYork,
         clock({540}, allDays),
         "2040-07-01T12:00:00-04:00",
         nullptr,
         {},
         "2040-07-02T08:00:00-04:00",
         "2040-07-02T09:00:00-04:00",
         "204007020900"},
        {"Lord Howe's winter after 2037",
         "2008a",
         "Australia/Lord_Howe",
         clock({540}, allDays),
         "2040-06-30T12:00:00+10:30",
         nullptr,
         {},
         "2040-07-01T08:00:00+10:30",
         "2040-07-01T09:00:00+10:30",
         "204007010900"},
        {"Berlin's skipped hour after 2037",
         "2007a",
         berlin,
         clock({150}, allDays),
         "2040-03-24T12:00:00+01:00",
         nullptr,
         {},
         "2040-03-25T00:30:00+01:00",
         "2040-03-25T03:00:00+02:00",
         "204003250230"},
        {"Berlin's summer five centuries on",
         "2007a",
         berlin,
         every(60, {5}, ScheduleWindow{540, 600}),
         "2500-06-30T12:00:00+02:00",
         "2500-06-30T12:00:00+02:00",
         {},
         "2500-06-30T12:00:00+02:00",
         "2500-07-01T09:00:00+02:00",
         {}},
    };
    std::string skipped;
    for (const ZoneRow& row : rows) {
        SCOPED_TRACE(row.name);
        if (*row.needsRelease != '\0' && !tzDatabaseIsAtLeast(row.needsRelease)) {
            skipped += std::string("\n") + row.name + ": needs tz database " + row.needsRelease + " or later, found " +
                       (tzDatabaseVersion().empty() ? "an unknown release" : tzDatabaseVersion());
            continue;
        }
        const auto calculator = ScheduleCalculator::inZone(row.zone);
        const ScheduleState state{
            2, at(row.enabledAt), row.nextDue ? at(row.nextDue) : ScheduleState::distantFuture(), row.cursor};
        const auto occurrence = calculator.nextOccurrence(row.rule, state, at(row.now));
        ASSERT_TRUE(occurrence.has_value());
        EXPECT_EQ(occurrence->due, at(row.due))
            << occurrence->due.secondsSince1970() - at(row.due).secondsSince1970() << " s off";
        EXPECT_EQ(occurrence->cursor, row.expectedCursor);
    }
    EXPECT_EQ(ScheduleCalculator::inZone("Nowhere/Atlantis").timeZoneID(), "Etc/Unknown");
    if (!skipped.empty()) {
        GTEST_SKIP() << "skipped rows:" << skipped;
    }
}

TEST(ScheduleCalculatorTest, currentZone_readsTzAsTheCLibraryDoes)
{
    const char* old = std::getenv("TZ");
    const std::optional<std::string> savedZone = old ? std::optional<std::string>(old) : std::nullopt;
    unsetenv("TZ");
    EXPECT_NE(ScheduleCalculator::inCurrentZone().timeZoneID(), "Etc/Unknown");
    const char* const posixRule = "EST5EDT,M3.2.0,M11.1.0";
    const std::pair<const char*, const char*> forms[] = {
        {":Asia/Tokyo", "Asia/Tokyo"},
        {"/usr/share/zoneinfo/America/Mexico_City", "America/Mexico_City"},
        {"posix/Africa/Cairo", "Africa/Cairo"},
        {posixRule, posixRule},
        {"", "Etc/UTC"},
        {"Nowhere/Atlantis", "Etc/Unknown"},
    };
    for (const auto& [value, zone] : forms) {
        SCOPED_TRACE(value);
        setenv("TZ", value, 1);
        EXPECT_EQ(ScheduleCalculator::inCurrentZone().timeZoneID(), zone);
    }
    // A POSIX rule in TZ gives its daylight time.
    setenv("TZ", posixRule, 1);
    EXPECT_EQ(
        ScheduleCalculator::inCurrentZone().startedState(clock({540}, allDays), at("2026-07-01T08:00:00Z")).nextDue,
        at("2026-07-01T09:00:00-04:00"));
    savedZone ? setenv("TZ", savedZone->c_str(), 1) : unsetenv("TZ");
}

} // namespace
} // namespace tavlen
