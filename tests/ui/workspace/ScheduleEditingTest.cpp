#include "ScheduleEditing.h"

#include <gtest/gtest.h>

namespace tavlen::ui {
namespace {

std::vector<ScheduleTimeDraft> times(std::initializer_list<int> minutes)
{
    std::vector<ScheduleTimeDraft> rows;
    for (const int minute : minutes) {
        rows.push_back({Uuid::random(), minute});
    }
    return rows;
}

TEST(ScheduleEditingTest, addTimeTakesTheFirstFreeMinuteAnHourAfterTheLastRow)
{
    struct Row
    {
        const char* name;
        std::vector<ScheduleTimeDraft> list;
        std::optional<int> expected;
    };

    std::vector<ScheduleTimeDraft> full;
    for (int minute = 0; minute < 1440; ++minute) {
        full.push_back({Uuid::random(), minute});
    }
    const Row rows[] = {
        {"an empty list starts at 09:00", {}, 540},
        {"an hour after the last row", times({600}), 660},
        {"the next free minute when that hour is taken", times({660, 600}), 661},
        {"wrapping past midnight", times({1410}), 30},
        {"the last row, not the latest time", times({840, 540}), 600},
        {"every minute taken", full, std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(nextFreeCheckMinute(row.list), row.expected);
    }
}

TEST(ScheduleEditingTest, theDaysPickerReadsAndWritesItsModes)
{
    const WeekdaySet all{1, 2, 3, 4, 5, 6, 7};
    const WeekdaySet weekdays{2, 3, 4, 5, 6};
    const WeekdaySet mondayToThursday{2, 3, 4, 5};
    EXPECT_EQ(daysModeOf(all, false), DaysMode::everyDay);
    EXPECT_EQ(daysModeOf(weekdays, false), DaysMode::weekdays);
    EXPECT_EQ(daysModeOf(mondayToThursday, false), DaysMode::selectedDays);
    EXPECT_EQ(daysModeOf({}, false), DaysMode::selectedDays);
    EXPECT_EQ(daysModeOf(all, true), DaysMode::selectedDays);

    EXPECT_EQ(chooseDaysMode(DaysMode::weekdays, all).days, weekdays);
    EXPECT_EQ(chooseDaysMode(DaysMode::everyDay, mondayToThursday).days, all);
    const DaysChoice keepAll = chooseDaysMode(DaysMode::selectedDays, all);
    EXPECT_EQ(keepAll.days, all);
    EXPECT_TRUE(keepAll.custom) << "the picker keeps showing Selected days";
    EXPECT_FALSE(chooseDaysMode(DaysMode::selectedDays, mondayToThursday).custom);
    EXPECT_EQ(daysPickerOrder(), (std::array<int, 7>{2, 3, 4, 5, 6, 7, 1}));
}

TEST(ScheduleEditingTest, midnightIsTheEndOfTheDayOnlyForAnEndPicker)
{
    EXPECT_EQ(minuteOfTime(QTime(0, 0), true), 1440);
    EXPECT_EQ(minuteOfTime(QTime(0, 0), false), 0);
    EXPECT_EQ(minuteOfTime(QTime(23, 59), true), 1439);
    EXPECT_EQ(timeOfMinute(1440), QTime(0, 0));
    EXPECT_EQ(timeOfMinute(545), QTime(9, 5));
}

TEST(ScheduleEditingTest, theValidationLineAndTheFocusTargetFollowTheForm)
{
    ScheduleDraft draft;
    EXPECT_FALSE(scheduleValidationLine(draft));
    EXPECT_EQ(scheduleFocusTarget(draft), ScheduleDraft::Field::intervalPreset);
    EXPECT_FALSE(limitsInitiallyExpanded(draft));

    draft.intervalPreset = IntervalPreset::custom;

    struct Row
    {
        const char* amount;
        const char* message;
    };

    const Row rows[] = {{"  ", "Required"},
                        {"0", "Enter a positive whole number within the supported range."},
                        {"+5", "Enter a positive whole number within the supported range."},
                        {"1.5", "Enter a positive whole number within the supported range."},
                        {"99999999999999999999", "Enter a positive whole number within the supported range."},
                        {" 45 ", nullptr}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.amount);
        draft.customInterval = row.amount;
        EXPECT_EQ(scheduleValidationLine(draft),
                  row.message ? std::optional(QString::fromUtf8(row.message)) : std::nullopt);
    }
    draft.customInterval = "x";
    EXPECT_EQ(scheduleFocusTarget(draft), ScheduleDraft::Field::customInterval);

    draft.customInterval = "45";
    draft.everyWeekdays = {};
    EXPECT_EQ(scheduleValidationLine(draft), QStringLiteral("Select at least one day."));
    EXPECT_EQ(scheduleFocusTarget(draft), ScheduleDraft::Field::scheduleRule);
    EXPECT_TRUE(limitsInitiallyExpanded(draft));
    EXPECT_FALSE(previewRule(draft)) << "no preview for an invalid rule";

    draft.everyWeekdays = {1, 2, 3, 4, 5, 6, 7};
    draft.windowEnabled = true;
    draft.windowStartMinuteOfDay = 600;
    draft.windowEndMinuteOfDay = 600;
    EXPECT_EQ(scheduleValidationLine(draft),
              QStringLiteral("Choose an end time after the start time, on the same day."));
}

TEST(ScheduleEditingTest, theRuntimeStateAppliesOnlyToTheSavedSchedule)
{
    Monitor monitor;
    monitor.id = Uuid::random();
    monitor.schedule.preferences =
        MonitorSchedulePreferences{ScheduleRule::at(ClockSchedule{{540, 1020}, {2, 3, 4, 5, 6}}), true};
    ScheduleSnapshot snapshot;
    ScheduleState state;
    state.token = 7;
    snapshot.states[monitor.id] = state;

    ScheduleDraft draft = ScheduleDraft::fromMonitor(monitor);
    EXPECT_EQ(scheduleRuntimeState(draft, monitor, &snapshot), state);
    EXPECT_FALSE(scheduleRuntimeState(draft, monitor, nullptr)) << "no scheduler";
    std::reverse(draft.atTimes.begin(), draft.atTimes.end());
    EXPECT_EQ(scheduleRuntimeState(draft, monitor, &snapshot), state) << "the same times in another order";
    draft.atTimes[0].minute = 600;
    EXPECT_FALSE(scheduleRuntimeState(draft, monitor, &snapshot)) << "an edited schedule";
    draft = ScheduleDraft::fromMonitor(monitor);
    draft.scheduleEnabled = false;
    EXPECT_FALSE(scheduleRuntimeState(draft, monitor, &snapshot));
    draft = ScheduleDraft::fromMonitor(monitor);
    draft.atTimes.clear();
    EXPECT_FALSE(scheduleRuntimeState(draft, monitor, &snapshot)) << "an invalid form";
    snapshot.states.clear();
    EXPECT_FALSE(scheduleRuntimeState(ScheduleDraft::fromMonitor(monitor), monitor, &snapshot));
}

TEST(ScheduleEditingTest, theStatusNoteAndTheWayOutOfASaveError)
{
    const Uuid monitorID = Uuid::random();
    ScheduleSnapshot snapshot;
    EXPECT_FALSE(scheduleStatusNote(nullptr, monitorID));
    EXPECT_FALSE(scheduleStatusNote(&snapshot, monitorID));
    snapshot.queue.push_back(QueuedCheck{Uuid::random(), monitorID, 1, 0});
    EXPECT_EQ(scheduleStatusNote(&snapshot, monitorID)->text, QStringLiteral("Scheduled check queued"));
    snapshot.modelsUnavailable.insert(monitorID);
    EXPECT_EQ(scheduleStatusNote(&snapshot, monitorID),
              (ScheduleStatusNote{QStringLiteral("Schedule paused \u2014 select a model in every Read step and save."),
                                  QStringLiteral("pause.circle")}));

    EXPECT_EQ(saveErrorAction(MonitorStoreError::validation("Enter a name.")), SaveErrorAction::none);
    EXPECT_EQ(saveErrorAction(MonitorStoreError::busy()), SaveErrorAction::none);
    EXPECT_EQ(saveErrorAction(MonitorStoreError::staleEdit()), SaveErrorAction::reloadSavedMonitor);
    EXPECT_EQ(saveErrorAction(MonitorStoreError::missingMonitor()), SaveErrorAction::reloadSavedMonitor);
    EXPECT_EQ(saveErrorAction(MonitorStoreError::interrupted()), SaveErrorAction::retryStorage);
    EXPECT_EQ(saveErrorAction(MonitorStoreError::storage()), SaveErrorAction::retryStorage);
}

TEST(ScheduleEditingTest, thePreviewCountsTheWeekInTheZoneAcrossADaylightSavingChange)
{
    const auto newYork = ScheduleCalculator::inZone("America/New_York");
    // Friday 2026-03-06 12:00 New York; clocks go forward on Sunday 2026-03-08, so the week has 167 hours.
    const Date now = Date::fromMilliseconds(1'772'816'400'000);
    const ScheduleRule quarterHours = ScheduleRule::every(IntervalSchedule{15, {1, 2, 3, 4, 5, 6, 7}, std::nullopt});

    const SchedulePreviewContent off = schedulePreviewContent(quarterHours, false, now, std::nullopt, newYork);
    EXPECT_EQ(off.enabledText, QStringLiteral("Disabled"));
    EXPECT_EQ(off.heading, QStringLiteral("Example check times"));
    EXPECT_EQ(off.weeklyCount, QStringLiteral("Would check about 668 times per week."));
    EXPECT_EQ(off.timeZone, QStringLiteral("Time zone: America/New York"));
    ASSERT_EQ(off.times.size(), 3);
    EXPECT_EQ(off.times[0], QStringLiteral("\tMar 6, 2026, 12:15\u202FPM"));

    const ScheduleState state = newYork.startedState(quarterHours, now);
    EXPECT_EQ(schedulePreviewContent(quarterHours, true, now, state, newYork).heading, QStringLiteral("Next checks"));
    const SchedulePreviewContent on = schedulePreviewContent(quarterHours, true, now, std::nullopt, newYork);
    EXPECT_EQ(on.heading, QStringLiteral("Example check times"));
    EXPECT_EQ(on.weeklyCount, QStringLiteral("About 668 checks per week."));

    const ScheduleRule tenDays = ScheduleRule::every(IntervalSchedule{14400, {1, 2, 3, 4, 5, 6, 7}, std::nullopt});
    const SchedulePreviewContent rare = schedulePreviewContent(tenDays, true, now, std::nullopt, newYork);
    EXPECT_EQ(rare.times.size(), 3);
    EXPECT_EQ(rare.weeklyCount, QStringLiteral("About 0 checks per week."));
}

} // namespace
} // namespace tavlen::ui
