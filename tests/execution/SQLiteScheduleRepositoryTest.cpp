#include "SQLiteScheduleRepository.h"

#include "Iso8601.h"
#include "ScheduleRule.h"
#include "WorkspaceFixture.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace tavlen::test {
namespace {

const WeekdaySet allDays{1, 2, 3, 4, 5, 6, 7};

Date at(const char* text)
{
    const auto date = parseISO8601DateTime(text);
    EXPECT_TRUE(date.has_value()) << text;
    return date.value_or(Date());
}

class SQLiteScheduleRepositoryTest : public WorkspaceFixture
{
protected:
    // A monitor with scheduling on under the rule, at the given schedule version.
    Uuid scheduledMonitor(const ScheduleRule& rule, std::int64_t version = 1)
    {
        const Uuid id = insertMonitor();
        setSchedule(id, rule, true, version);
        return id;
    }

    void setSchedule(const Uuid& id, const ScheduleRule& rule, bool enabled, std::int64_t version)
    {
        execute("UPDATE monitors SET schedule_json = '" + rule.encodeStored() +
                "', schedule_enabled = " + (enabled ? "1" : "0") + ", schedule_version = " + std::to_string(version) +
                " WHERE id = '" + id.lowercaseString() + "'");
    }

    ScheduleSnapshot refresh(Date now) { return finish(m_repository.refresh(now, "Etc/UTC")); }

    std::string stateJson(const Uuid& id)
    {
        return queryText("SELECT state_json FROM schedule_runtime WHERE monitor_id = '" + id.lowercaseString() + "'");
    }

    SQLiteScheduleRepository m_repository{m_database};
};

TEST_F(SQLiteScheduleRepositoryTest, EveryRuleStartsFreshAndQueuesADueOccurrenceOnce)
{
    const Uuid id = scheduledMonitor(ScheduleRule::every({60, allDays, std::nullopt}));

    ScheduleSnapshot snapshot = refresh(at("2026-03-02T10:00:00Z"));
    EXPECT_EQ(snapshot.states.at(id),
              (ScheduleState{1, at("2026-03-02T10:00:00Z"), at("2026-03-02T11:00:00Z"), std::nullopt}));
    EXPECT_TRUE(snapshot.queue.empty());
    const auto stored = nlohmann::json::parse(stateJson(id));
    EXPECT_EQ(stored.size(), 3u) << stored.dump();
    EXPECT_FALSE(stored.contains("cursor"));

    const Date late = at("2026-03-02T11:00:00.400Z");
    snapshot = refresh(late);
    ASSERT_EQ(snapshot.queue.size(), 1u);
    const QueuedCheck queued = snapshot.queue.front();
    EXPECT_EQ(queued.monitorID, id);
    EXPECT_EQ(queued.scheduleVersion, 1);
    EXPECT_EQ(queued.dueAtMilliseconds, at("2026-03-02T11:00:00Z").milliseconds());
    EXPECT_EQ(snapshot.states.at(id).token, 2);
    EXPECT_EQ(snapshot.states.at(id).nextDue, late.addingSeconds(3600));

    // Nothing further falls due within the interval: the same row, the same state.
    const ScheduleSnapshot again = refresh(late.addingSeconds(30));
    EXPECT_EQ(again.queue, snapshot.queue);
    EXPECT_EQ(again.states, snapshot.states);
}

TEST_F(SQLiteScheduleRepositoryTest, MissedOccurrencesAfterALongSuspendCoalesceIntoOneRow)
{
    const Uuid id = scheduledMonitor(ScheduleRule::every({15, allDays, std::nullopt}));
    refresh(at("2026-03-02T10:00:00Z"));

    const Date wake = at("2026-03-05T07:42:10Z");
    ScheduleSnapshot snapshot = refresh(wake);
    ASSERT_EQ(snapshot.queue.size(), 1u);
    EXPECT_EQ(snapshot.states.at(id).token, 2);
    EXPECT_EQ(snapshot.states.at(id).nextDue, wake.addingSeconds(15 * 60));
    const QueuedCheck first = snapshot.queue.front();

    // The next occurrence falls due while the first is still queued: counted, not queued.
    snapshot = refresh(wake.addingSeconds(15 * 60 + 1));
    EXPECT_EQ(snapshot.queue, std::vector<QueuedCheck>{first});
    EXPECT_EQ(snapshot.states.at(id).token, 3);
    EXPECT_EQ(count("scheduled_checks_queue"), 1);
}

TEST_F(SQLiteScheduleRepositoryTest, AtRuleQueuesOnlyTheLatestMissedTime)
{
    const Uuid id = scheduledMonitor(ScheduleRule::at({{8 * 60, 12 * 60}, allDays}));
    EXPECT_EQ(refresh(at("2026-03-01T20:00:00Z")).states.at(id).nextDue, at("2026-03-02T08:00:00Z"));

    const ScheduleSnapshot snapshot = refresh(at("2026-03-02T13:05:00Z"));
    ASSERT_EQ(snapshot.queue.size(), 1u);
    EXPECT_EQ(snapshot.queue.front().dueAtMilliseconds, at("2026-03-02T12:00:00Z").milliseconds());
    const ScheduleState& state = snapshot.states.at(id);
    EXPECT_EQ(state.cursor, "202603021200");
    EXPECT_EQ(state.nextDue, at("2026-03-03T08:00:00Z"));
}

TEST_F(SQLiteScheduleRepositoryTest, QueueKeepsDueOrderThenMonitorIdAndLeavesOutStaleRows)
{
    const ScheduleRule rule = ScheduleRule::every({60, allDays, std::nullopt});
    const Uuid a = scheduledMonitor(rule, 1);
    const Uuid b = scheduledMonitor(rule, 1);
    const Uuid c = scheduledMonitor(rule, 1);
    refresh(at("2026-03-02T10:00:00Z"));
    // c falls due earliest; a and b at the same minute.
    execute("UPDATE schedule_runtime SET state_json = json_set(state_json, '$.nextDue', json_extract(state_json, "
            "'$.nextDue') - 600) WHERE monitor_id = '" +
            c.lowercaseString() + "'");
    ScheduleSnapshot snapshot = refresh(at("2026-03-02T11:00:00Z"));
    ASSERT_EQ(snapshot.queue.size(), 3u);
    EXPECT_EQ(snapshot.queue[0].monitorID, c);
    const auto [first, second] = a.lowercaseString() < b.lowercaseString() ? std::pair(a, b) : std::pair(b, a);
    EXPECT_EQ(snapshot.queue[1].monitorID, first);
    EXPECT_EQ(snapshot.queue[2].monitorID, second);

    // A disabled monitor's row is left out; a row of another schedule version is dropped with a fresh state.
    setSchedule(a, rule, false, 1);
    setSchedule(b, rule, true, 2);
    const QueuedCheck stale = snapshot.queue[snapshot.queue[1].monitorID == b ? 1 : 2];
    snapshot = refresh(at("2026-03-02T11:00:30Z"));
    ASSERT_EQ(snapshot.queue.size(), 1u);
    EXPECT_EQ(snapshot.queue[0].monitorID, c);
    EXPECT_FALSE(snapshot.states.contains(a));
    EXPECT_EQ(snapshot.states.at(b).token, 1);
    EXPECT_EQ(queryText("SELECT count(*) FROM scheduled_checks_queue WHERE monitor_id = '" + b.lowercaseString() + "'"),
              "0");
    EXPECT_FALSE(finish(m_repository.claim(stale)));
}

TEST_F(SQLiteScheduleRepositoryTest, ClaimRemovesARowOnceAndOnlyUnderItsSchedule)
{
    const ScheduleRule rule = ScheduleRule::every({60, allDays, std::nullopt});
    const Uuid id = scheduledMonitor(rule);
    refresh(at("2026-03-02T10:00:00Z"));
    QueuedCheck check = refresh(at("2026-03-02T11:00:00Z")).queue.at(0);

    QueuedCheck otherOccurrence = check;
    otherOccurrence.id = Uuid::random();
    EXPECT_FALSE(finish(m_repository.claim(otherOccurrence)));
    EXPECT_TRUE(finish(m_repository.claim(check)));
    EXPECT_FALSE(finish(m_repository.claim(check)));

    // A schedule saved after the snapshot: the old check is not claimed and stays where it is.
    check = refresh(at("2026-03-02T12:00:00Z")).queue.at(0);
    setSchedule(id, rule, true, 2);
    EXPECT_FALSE(finish(m_repository.claim(check)));
    EXPECT_EQ(count("scheduled_checks_queue"), 1);
}

TEST_F(SQLiteScheduleRepositoryTest, MissingModelsAreReportedAndKeepTheRowQueued)
{
    const Uuid id = scheduledMonitor(ScheduleRule::every({60, allDays, std::nullopt}));
    const StepsDocument document = sampleDocument(Uuid::random(), {{numberField("Price")}});
    execute("INSERT INTO monitor_steps (monitor_id, version, format_version, workflow_json) VALUES ('" +
            id.lowercaseString() + "', 1, 1, '" + document.encodeStored() + "')");
    refresh(at("2026-03-02T10:00:00Z"));
    const ScheduleSnapshot snapshot = refresh(at("2026-03-02T11:00:00Z"));
    EXPECT_EQ(snapshot.modelsUnavailable, std::set<Uuid>{id});
    ASSERT_EQ(snapshot.queue.size(), 1u);
    EXPECT_FALSE(finish(m_repository.claim(snapshot.queue[0])));
    EXPECT_EQ(count("scheduled_checks_queue"), 1);
}

TEST_F(SQLiteScheduleRepositoryTest, AScheduleStoredBetweenPassesIsTheOneTheNextPassUses)
{
    const Date first = at("2026-03-02T10:00:00Z");
    const Date second = at("2026-03-02T10:05:00Z");
    // A state whose next check is due at the second pass, stored over the one the first passes kept.
    const std::string dueState = ScheduleState{7, first, second, std::nullopt}.encodeStored();

    struct Row
    {
        const char* name;
        std::int64_t version;    // of the stored change
        std::string runtimeEdit; // done to the runtime rows with it
        ScheduleState expected;  // at the second pass, every 15 minutes
    };

    const std::vector<Row> rows{
        {"saved under a new version", 2, "", {1, second, second.addingSeconds(15 * 60), std::nullopt}},
        {"rewritten under the same version",
         1,
         "DELETE FROM schedule_runtime",
         {1, second, second.addingSeconds(15 * 60), std::nullopt}},
        {"rewritten with its state",
         1,
         "UPDATE schedule_runtime SET state_json = '" + dueState + "'",
         {8, first, second.addingSeconds(15 * 60), std::nullopt}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Uuid id = scheduledMonitor(ScheduleRule::every({60, allDays, std::nullopt}));
        // Two passes, so the rule and the state are both decoded and kept before the change.
        refresh(first);
        ASSERT_EQ(refresh(first.addingSeconds(1)).states.at(id).nextDue, at("2026-03-02T11:00:00Z"));

        setSchedule(id, ScheduleRule::every({15, allDays, std::nullopt}), true, row.version);
        if (!row.runtimeEdit.empty()) {
            execute(row.runtimeEdit);
        }
        EXPECT_EQ(refresh(second).states.at(id), row.expected);
        execute("DELETE FROM monitors");
    }
}

TEST_F(SQLiteScheduleRepositoryTest, InvalidStoredStateFailsTheWholeRefresh)
{
    const ScheduleRule rule = ScheduleRule::every({60, allDays, std::nullopt});
    for (const std::string stored : {R"({})", R"({"token":0,"enabledAt":0,"nextDue":0})", R"("state")"}) {
        SCOPED_TRACE(stored);
        const Uuid fresh = scheduledMonitor(rule);
        const Uuid broken = scheduledMonitor(rule);
        execute("INSERT INTO schedule_runtime (monitor_id, schedule_version, state_json) VALUES ('" +
                broken.lowercaseString() + "', 1, '" + stored + "')");
        EXPECT_EQ(storeErrorOf(m_repository.refresh(at("2026-03-02T10:00:00Z"), "Etc/UTC")),
                  MonitorStoreError::invalidStoredData());
        // Nothing of the failed refresh stays: the other monitor got no runtime row.
        EXPECT_EQ(stateJson(fresh), "NULL");
        execute("DELETE FROM monitors");
    }
}

} // namespace
} // namespace tavlen::test
