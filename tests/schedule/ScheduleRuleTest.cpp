#include "ScheduleRule.h"

#include "MonitorStoreError.h"
#include "ScheduleState.h"
#include "ScheduleTestSupport.h"
#include "StorageMessages.h"

#include <gtest/gtest.h>

#include <string>

namespace tavlen {
namespace {

using namespace test;

TEST(ScheduleRuleTest, validation_reportsFirstFailedCheck)
{
    struct Row
    {
        const char* name;
        ScheduleRule rule;
        const char* sentence; // nullptr: valid
    };

    const Row rows[] = {
        {"smallest interval", every(1, allDays), nullptr},
        {"largest interval", every(maximumIntervalMinutes, allDays), nullptr},
        {"zero minutes", every(0, allDays), storage_messages::intervalOutOfRange},
        {"one past the largest interval",
         every(maximumIntervalMinutes + 1, allDays),
         storage_messages::intervalOutOfRange},
        {"empty days win over bad minutes", every(0, {}), storage_messages::selectDay},
        {"day 0", every(60, {0, 1}), storage_messages::selectDay},
        {"day 8 wins over bad times", clock({540, 540}, {8}), storage_messages::selectDay},
        {"whole day window", every(60, allDays, ScheduleWindow{0, 1440}), nullptr},
        {"last minute window", every(60, allDays, ScheduleWindow{1439, 1440}), nullptr},
        {"empty window", every(60, allDays, ScheduleWindow{600, 600}), storage_messages::windowOrder},
        {"window starting at 1440", every(60, allDays, ScheduleWindow{1440, 1440}), storage_messages::windowOrder},
        {"window past midnight", every(60, allDays, ScheduleWindow{600, 1441}), storage_messages::windowOrder},
        {"negative window start", every(60, allDays, ScheduleWindow{-1, 60}), storage_messages::windowOrder},
        {"duplicate times", clock({540, 540}, {2}), storage_messages::clockTimes},
        {"time 1440", clock({1440}, {2}), storage_messages::clockTimes},
        {"no times", clock({}, {2}), storage_messages::clockTimes},
        {"unsorted distinct times", clock({1050, 540}, {2}), nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.sentence == nullptr) {
            EXPECT_NO_THROW(row.rule.validate());
            continue;
        }
        try {
            row.rule.validate();
            ADD_FAILURE() << "no error";
        } catch (const MonitorStoreError& error) {
            EXPECT_EQ(error, MonitorStoreError::validation(row.sentence));
        }
    }
}

TEST(ScheduleRuleTest, encodeStored_writesSortedCompactBytes)
{
    struct Row
    {
        const char* name;
        ScheduleRule rule;
        const char* json;
    };

    const Row rows[] = {
        {"interval with window",
         every(30, {6, 2, 4, 3, 5}, ScheduleWindow{540, 1020}),
         R"({"rule":{"every":{"_0":{"minutes":30,"weekdays":[2,3,4,5,6],"window":{"end":1020,"start":540}}}},"version":1})"},
        {"default rule",
         ScheduleRule::defaultRule(),
         R"({"rule":{"every":{"_0":{"minutes":60,"weekdays":[1,2,3,4,5,6,7]}}},"version":1})"},
        {"clock times written ascending",
         clock({1050, 540}, {2, 4, 6}),
         R"({"rule":{"at":{"_0":{"times":[540,1050],"weekdays":[2,4,6]}}},"version":1})"},
        {"largest interval",
         every(maximumIntervalMinutes, {1}),
         R"({"rule":{"every":{"_0":{"minutes":153722867280912,"weekdays":[1]}}},"version":1})"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.rule.encodeStored(), row.json);
        ScheduleRule decoded = ScheduleRule::decodeStored(row.json);
        if (auto* clock = std::get_if<ClockSchedule>(&decoded.schedule)) {
            EXPECT_TRUE(std::is_sorted(clock->minutesOfDay.begin(), clock->minutesOfDay.end()));
        }
        EXPECT_EQ(decoded.encodeStored(), row.json);
    }
    EXPECT_THROW(every(0, allDays).encodeStored(), MonitorStoreError);
}

TEST(ScheduleRuleTest, decodeStored_acceptsLenientFormsAndClassifiesFailures)
{
    const auto decoded = ScheduleRule::decodeStored(
        R"({"rule":{"every":{"_0":{"minutes":60,"weekdays":[1,1,2],"window":null}}},"version":1,"extra":true})");
    EXPECT_EQ(decoded, every(60, {1, 2}));

    struct Row
    {
        const char* name;
        const char* json;
        MonitorStoreError::Kind kind;
    };

    using Kind = MonitorStoreError::Kind;
    const Row rows[] = {
        {"version 2 with a readable rule",
         R"({"rule":{"every":{"_0":{"minutes":60,"weekdays":[1]}}},"version":2})",
         Kind::unsupportedSchema},
        {"version 2 with an unreadable rule", R"({"rule":{"every":{}},"version":2})", Kind::invalidStoredData},
        {"invalid minutes",
         R"({"rule":{"every":{"_0":{"minutes":0,"weekdays":[1]}}},"version":1})",
         Kind::invalidStoredData},
        {"empty rule", R"({"rule":{},"version":1})", Kind::invalidStoredData},
        {"both cases",
         R"({"rule":{"at":{"_0":{"times":[1],"weekdays":[1]}},"every":{"_0":{"minutes":1,"weekdays":[1]}}},"version":1})",
         Kind::invalidStoredData},
        {"missing version", R"({"rule":{"every":{"_0":{"minutes":60,"weekdays":[1]}}}})", Kind::invalidStoredData},
        {"minutes as text",
         R"({"rule":{"every":{"_0":{"minutes":"60","weekdays":[1]}}},"version":1})",
         Kind::invalidStoredData},
        {"weekday beyond int",
         R"({"rule":{"at":{"_0":{"times":[1],"weekdays":[4294967298]}}},"version":1})",
         Kind::invalidStoredData},
        {"minutes beyond int64",
         R"({"rule":{"every":{"_0":{"minutes":18446744073709551615,"weekdays":[1]}}},"version":1})",
         Kind::invalidStoredData},
        {"window without end",
         R"({"rule":{"every":{"_0":{"minutes":1,"weekdays":[1],"window":{"start":1}}}},"version":1})",
         Kind::invalidStoredData},
        {"not JSON", "{", Kind::invalidStoredData},
        {"array at top", "[]", Kind::invalidStoredData},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        try {
            ScheduleRule::decodeStored(row.json);
            ADD_FAILURE() << "no error";
        } catch (const MonitorStoreError& error) {
            EXPECT_EQ(error.kind(), row.kind);
        }
    }
}

TEST(ScheduleRuleTest, equality_comparesTimesInOrderAndWeekdaysAsSets)
{
    EXPECT_EQ(clock({540, 1050}, {6, 2}), clock({540, 1050}, {2, 6}));
    EXPECT_NE(clock({540, 1050}, {2}), clock({1050, 540}, {2}));
    EXPECT_NE(every(60, {2}), every(60, {2}, ScheduleWindow{0, 1440}));
    EXPECT_NE(every(60, {2}), clock({60}, {2}));
}

TEST(ScheduleStateTest, storedForm_roundTripsExactBytes)
{
    const char* withCursor = R"({"cursor":"202603021700","enabledAt":794131200.25,"nextDue":794163600.5,"token":3})";
    const ScheduleState state = ScheduleState::decodeStored(withCursor);
    EXPECT_EQ(state.token, 3);
    EXPECT_EQ(state.enabledAt.secondsSinceReferenceDate(), 794131200.25);
    EXPECT_EQ(state.nextDue.secondsSinceReferenceDate(), 794163600.5);
    EXPECT_EQ(state.cursor, "202603021700");
    EXPECT_EQ(state.encodeStored(), withCursor);

    const ScheduleState plain{
        1, Date::fromSecondsSinceReferenceDate(794131200), ScheduleState::distantFuture(), std::nullopt};
    const std::string stored = plain.encodeStored();
    EXPECT_EQ(stored, R"({"enabledAt":794131200,"nextDue":63113904000,"token":1})");
    EXPECT_EQ(ScheduleState::decodeStored(stored), plain);
    EXPECT_EQ(ScheduleState::decodeStored(R"({"token":1,"enabledAt":0,"nextDue":0,"cursor":null})").cursor,
              std::nullopt);
}

TEST(ScheduleStateTest, decodeStored_refusesBrokenStates)
{
    const char* rows[] = {
        R"({"token":0,"enabledAt":0,"nextDue":0})",
        R"({"token":-3,"enabledAt":0,"nextDue":0})",
        R"({"token":1.5,"enabledAt":0,"nextDue":0})",
        R"({"token":1,"enabledAt":0})",
        R"({"token":1,"enabledAt":"0","nextDue":0})",
        R"({"token":1,"enabledAt":0,"nextDue":1e999})",
        R"({"token":1,"enabledAt":0,"nextDue":0,"cursor":5})",
        R"([1])",
    };
    for (const char* row : rows) {
        SCOPED_TRACE(row);
        EXPECT_THROW(ScheduleState::decodeStored(row), MonitorStoreError);
    }
}

} // namespace
} // namespace tavlen
