#include "ScheduleDraft.h"

#include "Monitor.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavlen {
namespace {

using Field = ScheduleDraft::Field;

const std::string rangeSentence = "Enter a positive whole number within the supported range.";

Monitor monitorWith(ScheduleRule rule, bool enabled = true, std::int64_t scheduleVersion = 1)
{
    Monitor monitor;
    monitor.id = Uuid::random();
    monitor.name = "Prices";
    monitor.schedule = MonitorSchedule{scheduleVersion, MonitorSchedulePreferences{std::move(rule), enabled}};
    return monitor;
}

ScheduleRule everyRule(std::int64_t minutes, std::optional<ScheduleWindow> window = std::nullopt)
{
    return ScheduleRule::every(IntervalSchedule{minutes, {1, 2, 3, 4, 5, 6, 7}, window});
}

ScheduleRule atRule(std::vector<int> minutes, WeekdaySet weekdays = {2, 3, 4, 5, 6})
{
    return ScheduleRule::at(ClockSchedule{std::move(minutes), std::move(weekdays)});
}

// A form on a custom amount in the given unit, every day, as the user types it.
ScheduleDraft customDraft(std::string text, IntervalUnit unit = IntervalUnit::minutes)
{
    ScheduleDraft draft = ScheduleDraft::fromMonitor(monitorWith(everyRule(60)));
    draft.intervalPreset = IntervalPreset::custom;
    draft.customInterval = std::move(text);
    draft.customUnit = unit;
    return draft;
}

std::vector<int> minutesOf(const ScheduleRule& rule)
{
    return rule.clock() ? rule.clock()->minutesOfDay : std::vector<int>{};
}

TEST(ScheduleDraftTest, aStoredIntervalIsReadAsItsPresetOrAsACustomAmountInMinutes)
{
    const struct
    {
        std::int64_t minutes;
        IntervalPreset preset;
    } rows[] = {
        {15, IntervalPreset::fifteenMinutes},
        {30, IntervalPreset::thirtyMinutes},
        {60, IntervalPreset::oneHour},
        {360, IntervalPreset::sixHours},
        {1440, IntervalPreset::oneDay},
        {120, IntervalPreset::custom},
        {90, IntervalPreset::custom},
        {2880, IntervalPreset::custom}, // two days, still written in minutes
    };

    for (const auto& row : rows) {
        SCOPED_TRACE(row.minutes);
        const ScheduleDraft draft = ScheduleDraft::fromMonitor(monitorWith(everyRule(row.minutes)));
        EXPECT_EQ(draft.intervalPreset, row.preset);
        EXPECT_EQ(draft.customInterval, std::to_string(row.minutes));
        EXPECT_EQ(draft.customUnit, IntervalUnit::minutes);
        EXPECT_EQ(draft.scheduleMode, ScheduleMode::every);
        EXPECT_EQ(draft.intervalMinutes(), row.minutes);
        EXPECT_EQ(draft.atWeekdays, (WeekdaySet{1, 2, 3, 4, 5, 6, 7}));
        ASSERT_EQ(draft.atTimes.size(), 1U);
        EXPECT_EQ(draft.atTimes[0].minute, 540);
        EXPECT_FALSE(draft.windowEnabled);
        EXPECT_EQ(draft.windowStartMinuteOfDay, 540);
        EXPECT_EQ(draft.windowEndMinuteOfDay, 1020);
        EXPECT_EQ(draft.preferences(), monitorWith(everyRule(row.minutes)).schedule.preferences);
    }
}

TEST(ScheduleDraftTest, aStoredWindowIsOnWithItsHours)
{
    const ScheduleDraft draft = ScheduleDraft::fromMonitor(monitorWith(everyRule(30, ScheduleWindow{480, 1440})));
    EXPECT_TRUE(draft.windowEnabled);
    EXPECT_EQ(draft.windowStartMinuteOfDay, 480);
    EXPECT_EQ(draft.windowEndMinuteOfDay, 1440);
    EXPECT_TRUE(draft.scheduleEnabled);
}

TEST(ScheduleDraftTest, aStoredAtRuleKeepsItsTimesInOrderWithFreshRowsAndDefaultsForTheRest)
{
    const Monitor monitor = monitorWith(atRule({1020, 540}), false);
    const ScheduleDraft draft = ScheduleDraft::fromMonitor(monitor);
    EXPECT_EQ(draft.scheduleMode, ScheduleMode::at);
    EXPECT_EQ(draft.intervalPreset, IntervalPreset::oneHour);
    EXPECT_EQ(draft.customInterval, "60");
    EXPECT_EQ(draft.customUnit, IntervalUnit::minutes);
    EXPECT_EQ(draft.everyWeekdays, (WeekdaySet{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(draft.atWeekdays, (WeekdaySet{2, 3, 4, 5, 6}));
    EXPECT_FALSE(draft.windowEnabled);
    EXPECT_EQ(draft.windowStartMinuteOfDay, 540);
    EXPECT_EQ(draft.windowEndMinuteOfDay, 1020);
    EXPECT_FALSE(draft.scheduleEnabled);
    ASSERT_EQ(draft.atTimes.size(), 2U);
    EXPECT_EQ(draft.atTimes[0].minute, 1020);
    EXPECT_EQ(draft.atTimes[1].minute, 540);

    const ScheduleDraft again = ScheduleDraft::fromMonitor(monitor);
    EXPECT_NE(again.atTimes[0].id, draft.atTimes[0].id);
    EXPECT_TRUE(again.isEqual(draft));
}

TEST(ScheduleDraftTest, aCustomAmountIsReadFromTrimmedAsciiDigitsOnly)
{
    const std::optional<Field> none;

    const struct
    {
        const char* name;
        std::string text;
        IntervalUnit unit;
        std::optional<std::int64_t> minutes;
        std::optional<Field> invalidField;
        std::optional<std::string> message;
    } rows[] = {
        {"spaces around", " 15 ", IntervalUnit::minutes, 15, none, std::nullopt},
        {"Unicode spaces and a newline around", "\u00a015\u2003\n", IntervalUnit::minutes, 15, none, std::nullopt},
        {"a leading zero", "015", IntervalUnit::minutes, 15, none, std::nullopt},
        {"leading zeros", "007", IntervalUnit::minutes, 7, none, std::nullopt},
        {"hours", "2", IntervalUnit::hours, 120, none, std::nullopt},
        {"days", "2", IntervalUnit::days, 2880, none, std::nullopt},
        {"zero", "0", IntervalUnit::minutes, std::nullopt, Field::customInterval, rangeSentence},
        {"a minus sign", "-5", IntervalUnit::minutes, std::nullopt, Field::customInterval, rangeSentence},
        {"a plus sign", "+5", IntervalUnit::minutes, std::nullopt, Field::customInterval, rangeSentence},
        {"a space between digits", "1 5", IntervalUnit::minutes, std::nullopt, Field::customInterval, rangeSentence},
        {"a decimal point", "1.5", IntervalUnit::minutes, std::nullopt, Field::customInterval, rangeSentence},
        {"full-width digits",
         "\uff11\uff15",
         IntervalUnit::minutes,
         std::nullopt,
         Field::customInterval,
         rangeSentence},
        {"twenty digits overflow while read",
         "12345678901234567890",
         IntervalUnit::minutes,
         std::nullopt,
         Field::customInterval,
         rangeSentence},
        {"the product overflows",
         "9223372036854775807",
         IntervalUnit::hours,
         std::nullopt,
         Field::customInterval,
         rangeSentence},
        {"empty", "", IntervalUnit::minutes, std::nullopt, Field::customInterval, "Required"},
        {"spaces only", "   ", IntervalUnit::minutes, std::nullopt, Field::customInterval, "Required"},
        {"the largest number of minutes",
         "153722867280912",
         IntervalUnit::minutes,
         153722867280912,
         none,
         std::nullopt},
        {"the largest whole number of hours",
         "2562047788015",
         IntervalUnit::hours,
         153722867280900,
         none,
         std::nullopt},
        // Fits in 64 bits, so the form reads it; the rule validation refuses it.
        {"one hour more", "2562047788016", IntervalUnit::hours, 153722867280960, Field::scheduleRule, rangeSentence},
        {"one minute beyond the bound",
         "153722867280913",
         IntervalUnit::minutes,
         153722867280913,
         Field::scheduleRule,
         rangeSentence},
    };

    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const ScheduleDraft draft = customDraft(row.text, row.unit);
        EXPECT_EQ(draft.intervalMinutes(), row.minutes);
        EXPECT_EQ(draft.rule().has_value(), row.minutes.has_value());
        EXPECT_EQ(draft.firstInvalidField(), row.invalidField);
        EXPECT_EQ(draft.preferences().has_value(), !row.invalidField);
        const std::optional<std::string> message =
            row.invalidField ? draft.validationMessage(*row.invalidField) : std::nullopt;
        EXPECT_EQ(message, row.message);
        EXPECT_EQ(draft.validationMessage(Field::intervalPreset), std::nullopt);
    }
}

TEST(ScheduleDraftTest, theCustomAmountCountsOnlyForACustomEverySchedule)
{
    ScheduleDraft preset = customDraft("garbage");
    preset.intervalPreset = IntervalPreset::oneHour;
    EXPECT_EQ(preset.intervalMinutes(), 60);
    EXPECT_EQ(preset.firstInvalidField(), std::nullopt);
    EXPECT_EQ(preset.validationMessage(Field::customInterval), std::nullopt);
    ScheduleDraft clean = preset;
    clean.customInterval = "60";
    EXPECT_FALSE(preset.isEqual(clean)); // still an edit of the form

    ScheduleDraft at = customDraft("");
    at.scheduleMode = ScheduleMode::at;
    EXPECT_EQ(at.firstInvalidField(), std::nullopt);
    EXPECT_EQ(at.validationMessage(Field::customInterval), std::nullopt);
    EXPECT_TRUE(at.preferences().has_value());
}

TEST(ScheduleDraftTest, ruleFailuresNameTheRuleFieldWithTheValidationSentence)
{
    const Monitor every = monitorWith(everyRule(60));
    const Monitor at = monitorWith(atRule({540}));

    const struct
    {
        const char* name;
        Monitor monitor;
        void (*edit)(ScheduleDraft&);
        std::optional<std::string> message;
    } rows[] = {
        {"no day of an every-schedule",
         every,
         [](ScheduleDraft& d) { d.everyWeekdays.clear(); },
         "Select at least one day."},
        {"no day of the inactive at-schedule", every, [](ScheduleDraft& d) { d.atWeekdays.clear(); }, std::nullopt},
        {"no day of an at-schedule", at, [](ScheduleDraft& d) { d.atWeekdays.clear(); }, "Select at least one day."},
        {"a window ending where it starts",
         every,
         [](ScheduleDraft& d) {
             d.windowEnabled = true;
             d.windowStartMinuteOfDay = 600;
             d.windowEndMinuteOfDay = 600;
         },
         "Choose an end time after the start time, on the same day."},
        {"the same numbers with the window off",
         every,
         [](ScheduleDraft& d) {
             d.windowStartMinuteOfDay = 600;
             d.windowEndMinuteOfDay = 600;
         },
         std::nullopt},
        {"a time given twice",
         at,
         [](ScheduleDraft& d) {
             d.atTimes.push_back({Uuid::random(), 540});
         },
         "Add at least one time, with no duplicate times."},
        {"no time", at, [](ScheduleDraft& d) { d.atTimes.clear(); }, "Add at least one time, with no duplicate times."},
    };

    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ScheduleDraft draft = ScheduleDraft::fromMonitor(row.monitor);
        row.edit(draft);
        EXPECT_EQ(draft.validationMessage(Field::scheduleRule), row.message);
        EXPECT_EQ(draft.firstInvalidField(), row.message ? std::optional(Field::scheduleRule) : std::nullopt);
        EXPECT_EQ(draft.preferences().has_value(), !row.message);
    }
}

TEST(ScheduleDraftTest, timesKeepTheirOrderInTheRuleAndAreSortedInThePreferences)
{
    ScheduleDraft draft = ScheduleDraft::fromMonitor(monitorWith(atRule({540})));
    draft.atTimes = {{Uuid::random(), 1020}, {Uuid::random(), 540}};
    EXPECT_EQ(minutesOf(*draft.rule()), (std::vector<int>{1020, 540}));
    const std::optional<MonitorSchedulePreferences> preferences = draft.preferences();
    ASSERT_TRUE(preferences);
    EXPECT_EQ(minutesOf(preferences->rule), (std::vector<int>{540, 1020}));
    EXPECT_EQ(*preferences, monitorWith(atRule({540, 1020})).schedule.preferences);
}

TEST(ScheduleDraftTest, equalityCountsEveryFieldButNotTheIdsOfTimeRows)
{
    const ScheduleDraft stored = ScheduleDraft::fromMonitor(monitorWith(everyRule(60)));

    const struct
    {
        const char* name;
        void (*edit)(ScheduleDraft&);
        bool equal;
    } rows[] = {
        {"the mode switched and back",
         [](ScheduleDraft& d) {
             d.scheduleMode = ScheduleMode::at;
             d.scheduleMode = ScheduleMode::every;
         },
         true},
        {"a time row replaced by one with the same minute",
         [](ScheduleDraft& d) {
             d.atTimes[0] = {Uuid::random(), d.atTimes[0].minute};
         },
         true},
        {"the window on and off with other hours",
         [](ScheduleDraft& d) {
             d.windowEnabled = true;
             d.windowStartMinuteOfDay = 600;
             d.windowEnabled = false;
         },
         false},
        {"a time moved",
         [](ScheduleDraft& d) {
             d.atTimes.push_back({Uuid::random(), 600});
             std::swap(d.atTimes[0], d.atTimes[1]);
         },
         false},
        {"a day of the inactive mode", [](ScheduleDraft& d) { d.atWeekdays.erase(1); }, false},
        {"the enabled flag", [](ScheduleDraft& d) { d.scheduleEnabled = !d.scheduleEnabled; }, false},
        {"the unit", [](ScheduleDraft& d) { d.customUnit = IntervalUnit::hours; }, false},
    };

    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ScheduleDraft edited = stored;
        row.edit(edited);
        EXPECT_EQ(edited.isEqual(stored), row.equal);
        EXPECT_EQ(edited == stored, row.equal);
    }

    // Canonically equivalent texts in different byte forms are different custom amounts.
    ScheduleDraft composed = customDraft("\u00e9");
    ScheduleDraft decomposed = customDraft("e\u0301");
    EXPECT_FALSE(composed.isEqual(decomposed));
}

TEST(ScheduleDraftTest, choicesHaveTheirRawValues)
{
    EXPECT_EQ(rawValueOf(ScheduleMode::every), "Every\u2026");
    EXPECT_EQ(rawValueOf(ScheduleMode::at), "At\u2026");
    EXPECT_EQ(intervalPresetFromRawValue(360), IntervalPreset::sixHours);
    EXPECT_EQ(intervalPresetFromRawValue(0), IntervalPreset::custom);
    EXPECT_EQ(intervalPresetFromRawValue(45), std::nullopt);
    EXPECT_EQ(intervalUnitFromRawValue(1440), IntervalUnit::days);
    EXPECT_EQ(intervalUnitFromRawValue(2), std::nullopt);
}

} // namespace
} // namespace tavlen
