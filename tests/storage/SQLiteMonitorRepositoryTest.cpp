#include "SQLiteMonitorRepository.h"

#include "SQLiteBrowserProfileRepository.h"
#include "ScheduleState.h"
#include "StorageMessages.h"
#include "WorkspaceFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

namespace tavlen {
namespace {

using test::numberField;
using test::sampleDocument;
using test::textField;

std::vector<std::string> namesOf(const std::vector<Monitor>& monitors)
{
    std::vector<std::string> names;
    for (const Monitor& monitor : monitors) {
        names.push_back(monitor.name);
    }
    return names;
}

class SQLiteMonitorRepositoryTest : public test::WorkspaceFixture
{
protected:
    std::vector<std::string> listedNames() { return namesOf(finish(m_repository.monitors())); }

    Monitor create(const std::string& name, std::int64_t atMilliseconds, Uuid id = Uuid::random())
    {
        m_clock.setDate(Date::fromMilliseconds(atMilliseconds));
        return finish(m_repository.create(id, name));
    }

    // Everything a save may touch, as one text, to show that a failed save changed nothing.
    std::string savedState()
    {
        return queryText("SELECT (SELECT group_concat(id || name || version || schedule_version || schedule_enabled || "
                         "schedule_json, '|') FROM monitors) || '/' || "
                         "coalesce((SELECT group_concat(version || workflow_json) FROM monitor_steps), '') || '/' || "
                         "coalesce((SELECT group_concat(schedule_version || state_json) FROM schedule_runtime), '') || "
                         "'/' || (SELECT count(*) FROM scheduled_checks_queue)");
    }

    SQLiteMonitorRepository m_repository{m_database, m_clock};
};

TEST_F(SQLiteMonitorRepositoryTest, listingFollowsTheStoredOrderThenCreationTimeAndId)
{
    const Uuid lowID = *Uuid::parse("00000000-0000-4000-8000-000000000001");
    const Uuid highID = *Uuid::parse("FFFFFFFF-0000-4000-8000-000000000001");
    const Monitor c = create("C", 3000);
    const Monitor tieHigh = create("B-high", 2000, highID);
    const Monitor tieLow = create("B-low", 2000, lowID);
    const Monitor a = create("A", 1000);
    EXPECT_EQ(listedNames(), (std::vector<std::string>{"A", "B-low", "B-high", "C"}));

    finish(m_repository.reorder({c.id, tieHigh.id}));
    EXPECT_EQ(listedNames(), (std::vector<std::string>{"C", "B-high", "A", "B-low"}));
    const Monitor later = create("Later", 500);
    EXPECT_EQ(listedNames(), (std::vector<std::string>{"C", "B-high", "Later", "A", "B-low"}));

    struct Row
    {
        const char* name;
        std::string order;
    };

    const std::string cID = c.id.lowercaseString();
    const std::string highText = tieHigh.id.uppercaseString();
    const Row rows[] = {
        {"ids of no monitor", "[\"" + Uuid::random().lowercaseString() + "\",\"" + cID + "\",\"" + highText + "\"]"},
        {"a number and a malformed id", "[7,\"" + cID + "\",\"not-a-uuid\",\"" + highText + "\"]"},
        {"the same id twice", "[\"" + cID + "\",\"" + highText + "\",\"" + cID + "\"]"},
        {"null and an object", "[null,\"" + cID + "\",{},\"" + highText + "\"]"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        execute("UPDATE app_settings SET monitor_order_json = '" + row.order + "'");
        EXPECT_EQ(listedNames(), (std::vector<std::string>{"C", "B-high", "Later", "A", "B-low"}));
    }
    EXPECT_EQ(a.name, "A");
    EXPECT_EQ(tieLow.name, "B-low");
    EXPECT_EQ(later.version, 1);
}

TEST_F(SQLiteMonitorRepositoryTest, reorderStoresCompactLowerCaseIdsAndRefusesAnIdTwice)
{
    const Uuid first = *Uuid::parse("ABCDEF00-0000-4000-8000-000000000001");
    const Uuid second = Uuid::random();
    finish(m_repository.reorder({first, second}));
    EXPECT_EQ(queryText("SELECT monitor_order_json FROM app_settings"),
              "[\"abcdef00-0000-4000-8000-000000000001\",\"" + second.lowercaseString() + "\"]");

    EXPECT_EQ(storeErrorOf(m_repository.reorder({second, first, second})),
              MonitorStoreError::validation(storage_messages::monitorListedTwice));
    EXPECT_EQ(queryText("SELECT monitor_order_json FROM app_settings"),
              "[\"abcdef00-0000-4000-8000-000000000001\",\"" + second.lowercaseString() + "\"]");
}

TEST_F(SQLiteMonitorRepositoryTest, createStoresATrimmedNameWithTheDefaultScheduleAndIsIdempotent)
{
    const Uuid id = Uuid::random();
    m_clock.setDate(Date::fromSecondsSince1970(1'700'000'000.9876));
    const Monitor created = finish(m_repository.create(id, "  Prices\n"));
    EXPECT_EQ(created.id, id);
    EXPECT_EQ(created.name, "Prices");
    EXPECT_EQ(created.version, 1);
    EXPECT_EQ(created.schedule, MonitorSchedule{});
    EXPECT_EQ(created.createdAtMilliseconds, 1'700'000'000'987);

    m_clock.setDate(Date::fromMilliseconds(1'800'000'000'000));
    EXPECT_EQ(finish(m_repository.create(id, "Prices")), created);
    EXPECT_EQ(count("monitors"), 1);

    EXPECT_EQ(storeErrorOf(m_repository.create(Uuid::random(), " \t\n")),
              MonitorStoreError::validation(storage_messages::enterName));
    EXPECT_EQ(count("monitors"), 1);
}

TEST_F(SQLiteMonitorRepositoryTest, createOverADifferentExistingMonitorIsAStaleEdit)
{
    struct Row
    {
        const char* name;
        const char* change;    // applied to the stored monitor first
        std::string createdAs; // the name the repeated create uses
    };

    const Row rows[] = {
        {"another name", "", "Other"},
        {"the same name, composed where the stored one is decomposed",
         "UPDATE monitors SET name = 'Cafe\xCC\x81'",
         "Caf\xC3\xA9"},
        {"a renamed monitor", "UPDATE monitors SET version = 2", "Prices"},
        {"a monitor whose schedule changed", "UPDATE monitors SET schedule_version = 2", "Prices"},
        {"a monitor with scheduling on", "UPDATE monitors SET schedule_enabled = 1", "Prices"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Uuid id = Uuid::random();
        finish(m_repository.create(id, "Prices"));
        if (*row.change != '\0') {
            execute(std::string(row.change) + " WHERE id = '" + id.lowercaseString() + "'");
        }
        const std::string before = savedState();
        EXPECT_EQ(storeErrorOf(m_repository.create(id, row.createdAs)), MonitorStoreError::staleEdit());
        EXPECT_EQ(savedState(), before);
    }
}

TEST_F(SQLiteMonitorRepositoryTest, everyVersionConflictOrFailedPartOfASaveLeavesEverythingAsItWas)
{
    const Uuid model = insertModel();
    const Monitor monitor = create("Prices", 1000);
    const StepsDocument document = sampleDocument(model, {{numberField("Price")}});
    MonitorChanges first;
    first.name = "Prices 2";
    first.steps = MonitorStepsSave{std::nullopt, StepsWorkflow{document}};
    first.schedule = MonitorScheduleChange{1, {ScheduleRule::defaultRule(), true}};
    const SavedMonitorChanges saved = finish(m_repository.saveChanges(monitor.id, first));
    ASSERT_EQ(saved.monitor.version, 2);
    ASSERT_EQ(saved.monitor.schedule.version, 2);
    ASSERT_EQ(saved.steps->version, 1);

    StepsDocument changed = document;
    std::get<StepsDocument::OpenPage>(changed.steps[0].content).delay = 5;
    StepsDocument ftp = document;
    std::get<StepsDocument::OpenPage>(ftp.steps[0].content).url = "ftp://example.com";
    const MonitorScheduleChange offNow{2, {ScheduleRule::defaultRule(), false}};

    struct Row
    {
        const char* name;
        Uuid monitorID;
        MonitorChanges changes;
        MonitorStoreError error;
    };

    const auto changes = [](std::int64_t version,
                            std::optional<std::string> name,
                            std::optional<MonitorScheduleChange> schedule,
                            std::optional<MonitorStepsSave> steps) {
        return MonitorChanges{version, std::move(name), std::move(schedule), std::move(steps)};
    };
    const Row rows[] = {
        {"a name over an older version", monitor.id, changes(1, "New", {}, {}), MonitorStoreError::staleEdit()},
        {"a schedule over an older schedule version",
         monitor.id,
         changes(2, "New", MonitorScheduleChange{1, {ScheduleRule::defaultRule(), false}}, {}),
         MonitorStoreError::staleEdit()},
        {"steps over an older workflow version",
         monitor.id,
         changes(2, "New", offNow, MonitorStepsSave{0, StepsWorkflow{changed}}),
         MonitorStoreError::staleEdit()},
        {"steps as if none were saved",
         monitor.id,
         changes(2, "New", offNow, MonitorStepsSave{std::nullopt, StepsWorkflow{changed}}),
         MonitorStoreError::staleEdit()},
        {"steps that fail the document check",
         monitor.id,
         changes(2, "New", offNow, MonitorStepsSave{1, StepsWorkflow{ftp}}),
         MonitorStoreError::validation("Enter a complete HTTP(S) URL.")},
        {"a monitor that is gone", Uuid::random(), changes(1, "New", {}, {}), MonitorStoreError::missingMonitor()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string before = savedState();
        EXPECT_EQ(storeErrorOf(m_repository.saveChanges(row.monitorID, row.changes)), row.error);
        EXPECT_EQ(savedState(), before);
    }

    execute("UPDATE monitors SET version = 9223372036854775807");
    const std::string before = savedState();
    EXPECT_EQ(storeErrorOf(m_repository.saveChanges(monitor.id,
                                                    changes(std::numeric_limits<std::int64_t>::max(), "New", {}, {}))),
              MonitorStoreError::invalidStoredData());
    EXPECT_EQ(storeErrorOf(m_repository.saveChanges(monitor.id, changes(1, " ", {}, {}))),
              MonitorStoreError::validation(storage_messages::enterName));
    EXPECT_EQ(savedState(), before);
}

TEST_F(SQLiteMonitorRepositoryTest, unchangedPartsKeepTheirVersionsAndAChangedScheduleRestartsItsRuntime)
{
    const Monitor monitor = create("Prices", 1000);
    m_clock.setDate(Date::fromMilliseconds(1'700'000'000'000));
    const auto save = [&](MonitorChanges changes) { return finish(m_repository.saveChanges(monitor.id, changes)); };

    EXPECT_EQ(save(MonitorChanges{1, "Prices", {}, {}}).monitor, monitor);
    const ClockSchedule clock{{1050, 540}, {2, 4, 6}};
    const SavedMonitorChanges enabled =
        save(MonitorChanges{1, std::nullopt, MonitorScheduleChange{1, {ScheduleRule::at(clock), true}}, {}});
    EXPECT_EQ(enabled.monitor.version, 1);
    EXPECT_EQ(enabled.monitor.schedule.version, 2);
    EXPECT_EQ(enabled.monitor.schedule.preferences.rule.clock()->minutesOfDay, (std::vector<int>{540, 1050}));
    EXPECT_EQ(queryText("SELECT schedule_json FROM monitors"),
              R"({"rule":{"at":{"_0":{"times":[540,1050],"weekdays":[2,4,6]}}},"version":1})");
    const ScheduleState state = ScheduleState::decodeStored(queryText("SELECT state_json FROM schedule_runtime"));
    EXPECT_EQ(state.token, 1);
    EXPECT_EQ(state.enabledAt, Date::fromMilliseconds(1'700'000'000'000));
    EXPECT_EQ(queryText("SELECT schedule_version FROM schedule_runtime"), "2");

    // The same preferences (times in another order) write nothing and leave the runtime alone.
    execute("UPDATE schedule_runtime SET state_json = '{\"token\":7,\"enabledAt\":0,\"nextDue\":0}'");
    execute("INSERT INTO scheduled_checks_queue VALUES ('" + monitor.id.lowercaseString() + "', 'q', 2, 5)");
    const ClockSchedule reordered{{540, 1050}, {6, 4, 2}};
    const SavedMonitorChanges same =
        save(MonitorChanges{1, std::nullopt, MonitorScheduleChange{2, {ScheduleRule::at(reordered), true}}, {}});
    EXPECT_EQ(same.monitor, enabled.monitor);
    EXPECT_EQ(queryText("SELECT json_extract(state_json, '$.token') FROM schedule_runtime"), "7");
    EXPECT_EQ(count("scheduled_checks_queue"), 1);

    const SavedMonitorChanges renamed = save(MonitorChanges{1, "Renamed", {}, {}});
    EXPECT_EQ(renamed.monitor.version, 2);
    EXPECT_EQ(renamed.monitor.schedule.version, 2);
    EXPECT_EQ(count("scheduled_checks_queue"), 1);

    const SavedMonitorChanges disabled =
        save(MonitorChanges{2, std::nullopt, MonitorScheduleChange{2, {ScheduleRule::at(clock), false}}, {}});
    EXPECT_EQ(disabled.monitor.schedule.version, 3);
    EXPECT_EQ(count("schedule_runtime"), 0);
    EXPECT_EQ(count("scheduled_checks_queue"), 0);

    EXPECT_EQ(storeErrorOf(m_repository.saveChanges(
                  monitor.id,
                  MonitorChanges{2, std::nullopt, MonitorScheduleChange{3, {ScheduleRule::at({{}, {2}}), true}}, {}})),
              MonitorStoreError::validation(storage_messages::clockTimes));
}

TEST_F(SQLiteMonitorRepositoryTest, deleteRemovesEveryRowOfTheMonitorAndASecondDeleteFindsNone)
{
    const Uuid model = insertModel();
    const Monitor kept = create("Kept", 1000);
    const Monitor monitor = create("Gone", 2000);
    finish(m_repository.saveChanges(
        monitor.id,
        MonitorChanges{
            1,
            std::nullopt,
            MonitorScheduleChange{1, {ScheduleRule::defaultRule(), true}},
            MonitorStepsSave{std::nullopt, StepsWorkflow{sampleDocument(model, {{numberField("Price")}})}}}));
    const std::string id = monitor.id.lowercaseString();
    execute("INSERT INTO monitor_checks (id, monitor_id, started_at_ms, completed_at_ms) VALUES ('c', '" + id +
            "', 1, 2); INSERT INTO check_readings VALUES ('c', 0, 'f', 'Price', 'number', 1.5, NULL);"
            "INSERT INTO scheduled_checks_queue VALUES ('" +
            id + "', 'q', 2, 5)");
    finish(m_repository.reorder({monitor.id, kept.id}));

    finish(m_repository.deleteMonitor(monitor.id));
    for (const char* table :
         {"monitor_steps", "monitor_checks", "check_readings", "schedule_runtime", "scheduled_checks_queue"}) {
        SCOPED_TRACE(table);
        EXPECT_EQ(count(table), 0);
    }
    EXPECT_EQ(listedNames(), (std::vector<std::string>{"Kept"}));
    EXPECT_EQ(storeErrorOf(m_repository.deleteMonitor(monitor.id)), MonitorStoreError::missingMonitor());
}

TEST_F(SQLiteMonitorRepositoryTest, sidebarSummariesShowDomainLatestOutcomeAndModels)
{
    const Uuid model = insertModel();
    const Monitor bare = create("Bare", 1000);
    const Monitor watched = create("Watched", 2000);
    const Monitor orphaned = create("Orphaned", 3000);
    for (const Monitor* monitor : {&watched, &orphaned}) {
        const Uuid readModel = monitor == &watched ? model : insertModel("gpt-4o-mini");
        finish(m_repository.saveChanges(
            monitor->id,
            MonitorChanges{
                1,
                std::nullopt,
                std::nullopt,
                MonitorStepsSave{std::nullopt, StepsWorkflow{sampleDocument(readModel, {{numberField("Price")}})}}}));
    }
    execute("DELETE FROM configured_models WHERE model_identifier = 'gpt-4o-mini'");
    const std::string w = watched.id.lowercaseString();
    const std::string o = orphaned.id.lowercaseString();
    execute("INSERT INTO monitor_checks (id, monitor_id, started_at_ms, completed_at_ms, error_code, error_message) "
            "VALUES ('a', '" +
            w + "', 10, 11, NULL, NULL), ('c', '" + w +
            "', 20, 25, 'cancelled', 'Stopped.'), "
            "('b', '" +
            w + "', 20, 23, NULL, NULL), ('z', '" + o + "', 5, 9, 'provider_http_500', 'Failed.')");

    const auto summaries = finish(m_repository.sidebarSummaries());
    ASSERT_EQ(summaries.size(), 3u);
    EXPECT_EQ(summaries.at(bare.id), (MonitorSidebarSummary{std::nullopt, std::nullopt, true, std::nullopt}));
    EXPECT_EQ(summaries.at(watched.id),
              (MonitorSidebarSummary{"example.com", MonitorCheckOutcome::cancelled, true, 25}));
    EXPECT_EQ(summaries.at(orphaned.id), (MonitorSidebarSummary{"example.com", MonitorCheckOutcome::failed, false, 9}));

    execute("UPDATE monitor_steps SET workflow_json = json_set(workflow_json, '$.steps[0].content.openPage.url', "
            "'https://') WHERE monitor_id = '" +
            w + "'");
    EXPECT_EQ(storeErrorOf(m_repository.sidebarSummaries()), MonitorStoreError::invalidStoredData());
}

TEST_F(SQLiteMonitorRepositoryTest, theSelectedChromeProfileIsReadBackAndCannotBeEmpty)
{
    SQLiteBrowserProfileRepository profiles(m_database);
    EXPECT_EQ(finish(profiles.selectedProfileID()), std::nullopt);
    finish(profiles.setSelectedProfileID("Profile 1"));
    EXPECT_EQ(finish(profiles.selectedProfileID()), "Profile 1");
    EXPECT_EQ(storeErrorOf(profiles.setSelectedProfileID("")), MonitorStoreError::storage());
    EXPECT_EQ(finish(profiles.selectedProfileID()), "Profile 1");
    execute("DELETE FROM app_settings");
    EXPECT_EQ(storeErrorOf(profiles.selectedProfileID()), MonitorStoreError::invalidStoredData());
    EXPECT_EQ(storeErrorOf(profiles.setSelectedProfileID("Profile 2")), MonitorStoreError::invalidStoredData());
}

} // namespace
} // namespace tavlen
