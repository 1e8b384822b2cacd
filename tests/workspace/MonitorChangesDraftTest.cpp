#include "MonitorChangesDraft.h"

#include "Monitor.h"
#include "StoreErrorPrinter.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

namespace tavlen {
namespace {

const std::string composedName = "Caf\u00e9";
const std::string decomposedName = "Cafe\u0301";

ScheduleRule atRule(std::vector<int> minutes)
{
    return ScheduleRule::at(ClockSchedule{std::move(minutes), {1, 2, 3, 4, 5, 6, 7}});
}

ScheduleRule everyRule(std::int64_t minutes)
{
    return ScheduleRule::every(IntervalSchedule{minutes, {1, 2, 3, 4, 5, 6, 7}, std::nullopt});
}

Monitor storedMonitor(std::string name = "Prices",
                      std::int64_t version = 1,
                      ScheduleRule rule = everyRule(60),
                      std::int64_t scheduleVersion = 1)
{
    Monitor monitor;
    monitor.id = *Uuid::parse("6f1c1a4e-0000-4000-8000-000000000001");
    monitor.name = std::move(name);
    monitor.version = version;
    monitor.schedule = MonitorSchedule{scheduleVersion, MonitorSchedulePreferences{std::move(rule), true}};
    monitor.createdAtMilliseconds = 1000;
    return monitor;
}

// A form edited to another interval.
ScheduleDraft editedSchedule(const MonitorChangesDraft& draft, IntervalPreset preset = IntervalPreset::sixHours)
{
    ScheduleDraft schedule = draft.schedule();
    schedule.intervalPreset = preset;
    return schedule;
}

TEST(MonitorChangesDraftTest, aNewDraftIsCleanAndShowsErrorsOnTheDetailsTab)
{
    const MonitorChangesDraft draft(storedMonitor("Prices", 4, everyRule(60), 7));
    EXPECT_FALSE(draft.hasUnsavedChanges());
    EXPECT_EQ(draft.name(), "Prices");
    EXPECT_EQ(draft.baseline(), "Prices");
    EXPECT_EQ(draft.expectedVersion(), 4);
    EXPECT_EQ(draft.expectedScheduleVersion(), 7);
    EXPECT_TRUE(draft.schedule().isEqual(draft.baselineSchedule()));
    EXPECT_EQ(draft.errorTab(), MonitorDetailTab::details);
    EXPECT_EQ(draft.saveError(), std::nullopt);
    EXPECT_FALSE(draft.showsScheduleValidation());
    EXPECT_EQ(draft.attemptedName(), std::nullopt);
    EXPECT_EQ(draft.attemptedSchedule(), std::nullopt);
}

TEST(MonitorChangesDraftTest, aNameTypedBackIsCleanButAnotherNormalisationIsAChangeObserversHearOf)
{
    MonitorChangesDraft draft(storedMonitor(composedName));
    QSignalSpy nameSpy(&draft, &MonitorChangesDraft::nameChanged);
    QSignalSpy unsavedSpy(&draft, &MonitorChangesDraft::hasUnsavedChangesChanged);

    draft.setName("Cafe");
    EXPECT_TRUE(draft.hasUnsavedChanges());
    draft.setName(composedName);
    EXPECT_FALSE(draft.hasUnsavedChanges());
    EXPECT_EQ(nameSpy.count(), 2);
    EXPECT_EQ(unsavedSpy.count(), 2);

    // Canonically equal, so the name itself reports nothing; the gate bound to unsaved changes still turns.
    draft.setName(decomposedName);
    EXPECT_EQ(draft.name(), decomposedName);
    EXPECT_TRUE(draft.hasUnsavedChanges());
    EXPECT_EQ(nameSpy.count(), 2);
    EXPECT_EQ(unsavedSpy.count(), 3);

    // Typed back in the stored bytes: clean again, and said so.
    draft.setName(composedName);
    EXPECT_FALSE(draft.hasUnsavedChanges());
    EXPECT_EQ(nameSpy.count(), 2);
    EXPECT_EQ(unsavedSpy.count(), 4);
}

TEST(MonitorChangesDraftTest, aCleanDraftFollowingStorageNeverPassesThroughAnEditedState)
{
    MonitorChangesDraft draft(storedMonitor());
    QSignalSpy unsavedSpy(&draft, &MonitorChangesDraft::hasUnsavedChangesChanged);
    QSignalSpy nameSpy(&draft, &MonitorChangesDraft::nameChanged);
    draft.update(storedMonitor("Renamed elsewhere", 2, everyRule(30), 2), true);
    draft.acceptSavedName(storedMonitor("Renamed again", 3), std::string("Renamed elsewhere"));
    EXPECT_EQ(draft.name(), "Renamed again");
    EXPECT_EQ(draft.schedule().intervalPreset, IntervalPreset::thirtyMinutes);
    EXPECT_FALSE(draft.hasUnsavedChanges());
    EXPECT_EQ(nameSpy.count(), 2);
    EXPECT_EQ(unsavedSpy.count(), 0);
}

TEST(MonitorChangesDraftTest, settersReportOnlyChangesByTheirFieldsOwnEquality)
{
    MonitorChangesDraft draft(storedMonitor());

    const struct
    {
        const char* name;
        void (*write)(MonitorChangesDraft&);
        void (MonitorChangesDraft::*signal)();
        bool reported;
    } rows[] = {
        {"the same name",
         [](MonitorChangesDraft& d) { d.setName("Prices"); },
         &MonitorChangesDraft::nameChanged,
         false},
        {"the same expected version",
         [](MonitorChangesDraft& d) { d.setExpectedVersion(1); },
         &MonitorChangesDraft::expectedVersionChanged,
         false},
        {"the schedule rebuilt with new time ids",
         [](MonitorChangesDraft& d) { d.setSchedule(ScheduleDraft::fromMonitor(storedMonitor())); },
         &MonitorChangesDraft::scheduleChanged,
         false},
        {"another schedule",
         [](MonitorChangesDraft& d) { d.setSchedule(editedSchedule(d)); },
         &MonitorChangesDraft::scheduleChanged,
         true},
        {"a first error",
         [](MonitorChangesDraft& d) { d.setSaveError(MonitorStoreError::validation("One.")); },
         &MonitorChangesDraft::saveErrorChanged,
         true},
        {"a validation error with another sentence",
         [](MonitorChangesDraft& d) { d.setSaveError(MonitorStoreError::validation("Two.")); },
         &MonitorChangesDraft::saveErrorChanged,
         true},
        {"storage",
         [](MonitorChangesDraft& d) { d.setSaveError(MonitorStoreError::storage()); },
         &MonitorChangesDraft::saveErrorChanged,
         true},
        {"storage again",
         [](MonitorChangesDraft& d) { d.setSaveError(MonitorStoreError::storage()); },
         &MonitorChangesDraft::saveErrorChanged,
         false},
        {"the same tab",
         [](MonitorChangesDraft& d) { d.setErrorTab(MonitorDetailTab::details); },
         &MonitorChangesDraft::errorTabChanged,
         false},
        {"no attempted name again",
         [](MonitorChangesDraft& d) { d.setAttemptedName(std::nullopt); },
         &MonitorChangesDraft::attemptedNameChanged,
         false},
        {"an empty attempted name",
         [](MonitorChangesDraft& d) { d.setAttemptedName(""); },
         &MonitorChangesDraft::attemptedNameChanged,
         true},
        {"an attempted schedule input",
         [](MonitorChangesDraft& d) { d.setAttemptedScheduleInput(d.baselineSchedule()); },
         &MonitorChangesDraft::attemptedScheduleInputChanged,
         true},
        {"an equal attempted schedule input",
         [](MonitorChangesDraft& d) { d.setAttemptedScheduleInput(ScheduleDraft::fromMonitor(storedMonitor())); },
         &MonitorChangesDraft::attemptedScheduleInputChanged,
         false},
    };

    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QSignalSpy spy(&draft, row.signal);
        row.write(draft);
        EXPECT_EQ(spy.count(), row.reported ? 1 : 0);
    }
}

TEST(MonitorChangesDraftTest, acceptingASavedNameTakesTheTrimmedStoredNameOnlyWhenTheTextIsAsSubmitted)
{
    MonitorChangesDraft unchanged(storedMonitor());
    unchanged.setName("  New name ");
    unchanged.acceptSavedName(storedMonitor("New name", 2), std::string("  New name "));
    EXPECT_EQ(unchanged.name(), "New name");
    EXPECT_EQ(unchanged.baseline(), "New name");
    EXPECT_EQ(unchanged.expectedVersion(), 2);
    EXPECT_FALSE(unchanged.hasUnsavedChanges());

    MonitorChangesDraft retyped(storedMonitor());
    retyped.setName("  New name ");
    retyped.setAttemptedName("New name");
    retyped.setAttemptedInput("  New name ");
    retyped.setName("Newer name");
    retyped.acceptSavedName(storedMonitor("New name", 2), std::string("  New name "));
    EXPECT_EQ(retyped.name(), "Newer name");
    EXPECT_EQ(retyped.baseline(), "New name");
    EXPECT_TRUE(retyped.hasUnsavedChanges());
    EXPECT_EQ(retyped.attemptedName(), std::nullopt);
    EXPECT_EQ(retyped.attemptedInput(), std::nullopt);
}

TEST(MonitorChangesDraftTest, aSavedScheduleKeepsTheSubmittedFormWhenItIsWhatWasStored)
{
    MonitorChangesDraft draft(storedMonitor());
    ScheduleDraft typed = draft.schedule();
    typed.scheduleMode = ScheduleMode::at;
    typed.atTimes = {{Uuid::random(), 1020}, {Uuid::random(), 540}};
    draft.setSchedule(typed);
    draft.setAttemptedSchedule(typed.preferences());
    draft.setAttemptedScheduleInput(typed);

    draft.acceptSavedSchedule(storedMonitor("Prices", 1, atRule({540, 1020}), 2), typed);
    EXPECT_FALSE(draft.hasUnsavedChanges());
    ASSERT_EQ(draft.baselineSchedule().atTimes.size(), 2U);
    EXPECT_EQ(draft.baselineSchedule().atTimes[0].minute, 1020); // the order as entered
    EXPECT_EQ(draft.baselineSchedule().atTimes[0].id, typed.atTimes[0].id);
    EXPECT_EQ(draft.expectedScheduleVersion(), 2);
    EXPECT_EQ(draft.attemptedSchedule(), std::nullopt);
    EXPECT_EQ(draft.attemptedScheduleInput(), std::nullopt);
}

TEST(MonitorChangesDraftTest, aScheduleEditedAfterSubmissionSurvivesTheAcceptance)
{
    MonitorChangesDraft draft(storedMonitor());
    const ScheduleDraft submitted = editedSchedule(draft, IntervalPreset::sixHours);
    draft.setSchedule(editedSchedule(draft, IntervalPreset::oneDay));
    draft.acceptSavedSchedule(storedMonitor("Prices", 1, everyRule(360), 2), submitted);
    EXPECT_EQ(draft.schedule().intervalPreset, IntervalPreset::oneDay);
    EXPECT_EQ(draft.baselineSchedule().intervalPreset, IntervalPreset::sixHours);
    EXPECT_TRUE(draft.hasUnsavedChanges());
}

TEST(MonitorChangesDraftTest, aReloadAcceptsASubmissionFoundInStorage)
{
    MonitorChangesDraft draft(storedMonitor());
    draft.setName(" Renamed");
    const ScheduleDraft schedule = editedSchedule(draft);
    draft.setSchedule(schedule);
    draft.setAttemptedName("Renamed");
    draft.setAttemptedInput(" Renamed");
    draft.setAttemptedSchedule(schedule.preferences());
    draft.setAttemptedScheduleInput(schedule);
    draft.setSaveError(MonitorStoreError::interrupted());
    draft.setErrorTab(MonitorDetailTab::schedule);

    draft.update(storedMonitor("Renamed", 2, everyRule(360), 2), true);
    EXPECT_FALSE(draft.hasUnsavedChanges());
    EXPECT_EQ(draft.name(), "Renamed");
    EXPECT_EQ(draft.expectedVersion(), 2);
    EXPECT_EQ(draft.expectedScheduleVersion(), 2);
    EXPECT_EQ(draft.saveError(), std::nullopt);
    EXPECT_EQ(draft.attemptedName(), std::nullopt);
    EXPECT_EQ(draft.attemptedSchedule(), std::nullopt);
}

TEST(MonitorChangesDraftTest, aReloadThatFindsNeitherPartStoredKeepsTheEditsAndClearsTheError)
{
    MonitorChangesDraft draft(storedMonitor());
    draft.setName("Renamed");
    draft.setSchedule(editedSchedule(draft));
    draft.setAttemptedName("Renamed");
    draft.setAttemptedSchedule(draft.schedule().preferences());
    draft.setSaveError(MonitorStoreError::storage());

    draft.update(storedMonitor(), true);
    EXPECT_EQ(draft.name(), "Renamed");
    EXPECT_EQ(draft.schedule().intervalPreset, IntervalPreset::sixHours);
    EXPECT_TRUE(draft.hasUnsavedChanges());
    EXPECT_EQ(draft.saveError(), std::nullopt);
    EXPECT_EQ(draft.attemptedName(), std::nullopt);
    EXPECT_EQ(draft.attemptedSchedule(), std::nullopt);
}

TEST(MonitorChangesDraftTest, aReloadReportsAnEditedPartWhoseStoredVersionMovedOn)
{
    const struct
    {
        const char* name;
        bool editName;
        bool editSchedule;
        Monitor stored;
        std::optional<MonitorDetailTab> conflictTab;
    } rows[] = {
        {"a renamed monitor while the name is edited",
         true,
         false,
         storedMonitor("Other", 2),
         MonitorDetailTab::details},
        {"a new schedule while the schedule is edited",
         false,
         true,
         storedMonitor("Prices", 1, everyRule(30), 2),
         MonitorDetailTab::schedule},
        {"both moved while both are edited",
         true,
         true,
         storedMonitor("Other", 2, everyRule(30), 2),
         MonitorDetailTab::schedule},
        {"a renamed monitor while only the schedule is edited", false, true, storedMonitor("Other", 2), std::nullopt},
    };

    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        MonitorChangesDraft draft(storedMonitor());
        if (row.editName) {
            draft.setName("Typed");
            draft.setAttemptedName("Typed"); // a failed save of it, still pending
        }
        if (row.editSchedule) {
            draft.setSchedule(editedSchedule(draft));
        }
        draft.update(row.stored, true);
        EXPECT_EQ(draft.saveError(),
                  row.conflictTab ? std::optional(MonitorStoreError::staleEdit()) : std::optional<MonitorStoreError>());
        if (row.conflictTab) {
            EXPECT_EQ(draft.errorTab(), *row.conflictTab);
        }
        EXPECT_EQ(draft.name(), row.editName ? "Typed" : row.stored.name);
        EXPECT_EQ(draft.schedule().intervalPreset,
                  row.editSchedule ? IntervalPreset::sixHours : draft.baselineSchedule().intervalPreset);
        EXPECT_EQ(draft.attemptedName(), std::nullopt);
    }
}

TEST(MonitorChangesDraftTest, anUpdateAfterAnotherSaveFollowsStorageOnlyWhereNothingIsEdited)
{
    MonitorChangesDraft draft(storedMonitor());
    draft.setSchedule(editedSchedule(draft));
    draft.setSaveError(MonitorStoreError::busy());
    draft.setAttemptedSchedule(draft.schedule().preferences());

    draft.update(storedMonitor("Renamed elsewhere", 2, everyRule(30), 2), false);
    EXPECT_EQ(draft.name(), "Renamed elsewhere");
    EXPECT_EQ(draft.expectedVersion(), 2);
    EXPECT_EQ(draft.schedule().intervalPreset, IntervalPreset::sixHours);
    EXPECT_EQ(draft.expectedScheduleVersion(), 1);
    EXPECT_EQ(draft.saveError(), MonitorStoreError::busy());
    EXPECT_TRUE(draft.attemptedSchedule().has_value());
}

TEST(MonitorChangesDraftTest, anUneditedScheduleKeepsItsFormUntilTheStoredScheduleChanges)
{
    MonitorChangesDraft draft(storedMonitor("Prices", 1, everyRule(120)));
    ScheduleDraft hours = draft.schedule();
    hours.intervalPreset = IntervalPreset::custom;
    hours.customInterval = "2";
    hours.customUnit = IntervalUnit::hours;
    draft.setBaselineSchedule(hours);
    draft.setSchedule(hours);

    draft.update(storedMonitor("Prices", 1, everyRule(120)), true);
    EXPECT_EQ(draft.schedule().customInterval, "2");
    EXPECT_EQ(draft.schedule().customUnit, IntervalUnit::hours);

    draft.update(storedMonitor("Prices", 1, everyRule(120), 2), true);
    EXPECT_EQ(draft.schedule().customInterval, "120");
    EXPECT_EQ(draft.schedule().customUnit, IntervalUnit::minutes);
    EXPECT_EQ(draft.expectedScheduleVersion(), 2);
    EXPECT_FALSE(draft.hasUnsavedChanges());
}

} // namespace
} // namespace tavlen
