#include "MonitorScheduler.h"

#include "Iso8601.h"
#include "SQLiteScheduleRepository.h"
#include "ScheduleRule.h"
#include "Sleep.h"
#include "VirtualTime.h"
#include "WorkspaceFixture.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

namespace tavlen::test {
namespace {

using namespace std::chrono_literals;

const WeekdaySet allDays{1, 2, 3, 4, 5, 6, 7};

Date at(const char* text)
{
    return parseISO8601DateTime(text).value_or(Date());
}

// The real repository, counting refreshes and claims.
class CountingRepository final : public ScheduleRepository
{
public:
    explicit CountingRepository(ScheduleRepository& inner)
        : m_inner(inner)
    {}

    QCoro::Task<ScheduleSnapshot> refresh(Date now, std::string timeZoneID) override
    {
        ++refreshes;
        return m_inner.refresh(now, std::move(timeZoneID));
    }

    QCoro::Task<bool> claim(QueuedCheck check) override
    {
        ++claims;
        return m_inner.claim(std::move(check));
    }

    int refreshes = 0;
    int claims = 0;

private:
    ScheduleRepository& m_inner;
};

// The steps store as the scheduler sees it: it starts what it is given and keeps the claim for the test.
class ScriptedRunner final : public ScheduledCheckRunner
{
public:
    struct Start
    {
        QueuedCheck check;
        Claim claim;
        ClaimFailure onClaimFailure;
    };

    bool canStartScheduledCheck() const override { return canStart; }

    bool canRunScheduledCheck(const Uuid& monitorID) const override { return !busy.contains(monitorID); }

    bool startScheduledCheck(const QueuedCheck& check, Claim claim, ClaimFailure onClaimFailure) override
    {
        starts.push_back({check, std::move(claim), std::move(onClaimFailure)});
        return true;
    }

    void setOnExecutionSettled(std::function<void()> handler) override { onExecutionSettled = std::move(handler); }

    bool canStart = true;
    std::set<Uuid> busy;
    std::vector<Start> starts;
    std::function<void()> onExecutionSettled;
};

class MonitorSchedulerTest : public WorkspaceFixture
{
protected:
    MonitorSchedulerTest()
    {
        std::ofstream(m_directory / "localtime") << "UTC";
        m_time.setDate(at("2026-03-02T10:00:00Z"));
    }

    std::unique_ptr<MonitorScheduler> makeScheduler()
    {
        MonitorSchedulerEnvironment environment;
        environment.time = &m_time;
        environment.timeZone = [this] { return m_zone; };
        environment.waitForTick = [this](std::stop_token stop) { return sleepFor(1s, std::move(stop), m_time); };
        environment.zoneFile = m_directory / "localtime";
        environment.watchClockAndWake = false;
        return std::make_unique<MonitorScheduler>(
            m_counting, m_runner, [this] { return m_ready; }, std::move(environment));
    }

    Uuid scheduledMonitor(const ScheduleRule& rule)
    {
        const Uuid id = insertMonitor();
        execute("UPDATE monitors SET schedule_json = '" + rule.encodeStored() + "', schedule_enabled = 1 WHERE id = '" +
                id.lowercaseString() + "'");
        return id;
    }

    // One tick of virtual time, and the pass it started has published its snapshot.
    void tick(MonitorScheduler& scheduler)
    {
        QSignalSpy snapshots(&scheduler, &MonitorScheduler::snapshotChanged);
        m_time.advance(1s);
        ASSERT_TRUE(waitUntil([&] { return snapshots.count() > 0; }));
    }

    SQLiteScheduleRepository m_repository{m_database};
    CountingRepository m_counting{m_repository};
    ScriptedRunner m_runner;
    VirtualTime m_time;
    std::string m_zone = "Etc/UTC";
    bool m_ready = true;
};

TEST_F(MonitorSchedulerTest, FirstPassRunsAtStartThenOnePerTick)
{
    const Uuid id = scheduledMonitor(ScheduleRule::every({60, allDays, std::nullopt}));
    auto scheduler = makeScheduler();
    QSignalSpy snapshots(scheduler.get(), &MonitorScheduler::snapshotChanged);
    scheduler->start();
    scheduler->start();
    ASSERT_TRUE(waitUntil([&] { return snapshots.count() == 1; }));
    EXPECT_EQ(m_counting.refreshes, 1);
    EXPECT_TRUE(scheduler->snapshot().states.contains(id));
    EXPECT_TRUE(m_runner.onExecutionSettled);

    m_time.advance(1s);
    ASSERT_TRUE(waitUntil([&] { return snapshots.count() == 2; }));
    EXPECT_EQ(m_counting.refreshes, 2);

    scheduler->stop();
    EXPECT_FALSE(m_runner.onExecutionSettled);
    m_time.advance(5s);
    finish(scheduler->runCheckPass());
    EXPECT_EQ(m_counting.refreshes, 3); // only the direct pass
}

TEST_F(MonitorSchedulerTest, AtMostOneStartPerPassSkippingWhatCannotRun)
{
    const ScheduleRule rule = ScheduleRule::every({60, allDays, std::nullopt});
    const Uuid unavailable = scheduledMonitor(rule);
    const StepsDocument document = sampleDocument(Uuid::random(), {{numberField("Price")}});
    execute("INSERT INTO monitor_steps (monitor_id, version, format_version, workflow_json) VALUES ('" +
            unavailable.lowercaseString() + "', 1, 1, '" + document.encodeStored() + "')");
    const Uuid busy = scheduledMonitor(rule);
    const Uuid first = scheduledMonitor(rule);
    const Uuid second = scheduledMonitor(rule);
    m_runner.busy.insert(busy);
    auto scheduler = makeScheduler();
    finish(scheduler->runCheckPass());

    // Everything falls due at once; the queue is ordered by monitor id.
    m_time.setDate(m_time.date().addingSeconds(3600));
    m_runner.canStart = false;
    finish(scheduler->runCheckPass());
    EXPECT_EQ(scheduler->snapshot().queue.size(), 4u);
    EXPECT_TRUE(m_runner.starts.empty());

    m_runner.canStart = true;
    finish(scheduler->runCheckPass());
    ASSERT_EQ(m_runner.starts.size(), 1u);
    std::vector<Uuid> runnable{first, second};
    std::sort(runnable.begin(), runnable.end(), [](const Uuid& a, const Uuid& b) {
        return a.lowercaseString() < b.lowercaseString();
    });
    EXPECT_EQ(m_runner.starts[0].check.monitorID, runnable[0]);

    // The claim takes the check out of the table and the snapshot; the next pass starts the other one.
    EXPECT_TRUE(finish(m_runner.starts[0].claim()));
    EXPECT_EQ(scheduler->snapshot().queue.size(), 3u);
    EXPECT_FALSE(finish(m_runner.starts[0].claim()));
    finish(scheduler->runCheckPass());
    ASSERT_EQ(m_runner.starts.size(), 2u);
    EXPECT_EQ(m_runner.starts[1].check.monitorID, runnable[1]);
}

TEST_F(MonitorSchedulerTest, PausedOrNotReadyPassesTouchNothingAndResumeRunsOne)
{
    scheduledMonitor(ScheduleRule::every({60, allDays, std::nullopt}));
    auto scheduler = makeScheduler();
    finish(scheduler->runCheckPass());
    m_time.setDate(m_time.date().addingSeconds(3600));
    finish(scheduler->runCheckPass());
    ASSERT_EQ(m_runner.starts.size(), 1u);

    QSignalSpy paused(scheduler.get(), &MonitorScheduler::isPausedChanged);
    scheduler->setPaused(true);
    scheduler->setPaused(true);
    EXPECT_EQ(paused.count(), 1);
    const int refreshes = m_counting.refreshes;
    finish(scheduler->runCheckPass());
    EXPECT_EQ(m_counting.refreshes, refreshes);
    // A run that starts while paused does not claim its check.
    EXPECT_FALSE(finish(m_runner.starts[0].claim()));
    EXPECT_EQ(m_counting.claims, 0);

    scheduler->resume();
    EXPECT_EQ(paused.count(), 2);
    ASSERT_TRUE(waitUntil([&] { return m_counting.refreshes == refreshes + 1; }));
    scheduler->resume();
    EXPECT_EQ(paused.count(), 2);
    ASSERT_TRUE(waitUntil([&] { return m_counting.refreshes == refreshes + 2; }));

    m_ready = false;
    finish(scheduler->runCheckPass());
    EXPECT_EQ(m_counting.refreshes, refreshes + 2);
    EXPECT_FALSE(finish(m_runner.starts[0].claim()));
}

TEST_F(MonitorSchedulerTest, ARefreshFailureHaltsPassesUntilRetried)
{
    const Uuid id = scheduledMonitor(ScheduleRule::every({60, allDays, std::nullopt}));
    auto scheduler = makeScheduler();
    finish(scheduler->runCheckPass());
    const ScheduleSnapshot before = scheduler->snapshot();
    execute("UPDATE schedule_runtime SET state_json = '{}' WHERE monitor_id = '" + id.lowercaseString() + "'");
    finish(scheduler->runCheckPass());
    EXPECT_EQ(scheduler->error(), MonitorStoreError::invalidStoredData());
    EXPECT_EQ(scheduler->snapshot(), before);

    const int refreshes = m_counting.refreshes;
    scheduler->start();
    m_time.advance(3s);
    scheduler->requestCheck();
    finish(scheduler->runCheckPass());
    EXPECT_EQ(m_counting.refreshes, refreshes);

    // What "Retry scheduling" does, once the stored state is sound again.
    execute("DELETE FROM schedule_runtime");
    scheduler->setError(std::nullopt);
    finish(scheduler->runCheckPass());
    EXPECT_EQ(scheduler->error(), std::nullopt);
    EXPECT_EQ(scheduler->snapshot().states.at(id).token, 1);
}

TEST_F(MonitorSchedulerTest, AClaimFailureHaltsScheduling)
{
    scheduledMonitor(ScheduleRule::every({60, allDays, std::nullopt}));
    auto scheduler = makeScheduler();
    finish(scheduler->runCheckPass());
    m_time.setDate(m_time.date().addingSeconds(3600));
    finish(scheduler->runCheckPass());
    ASSERT_EQ(m_runner.starts.size(), 1u);
    m_runner.starts[0].onClaimFailure(std::make_exception_ptr(MonitorStoreError::busy()));
    EXPECT_EQ(scheduler->error(), MonitorStoreError::busy());
    m_runner.starts[0].onClaimFailure(std::make_exception_ptr(std::runtime_error("disk")));
    EXPECT_EQ(scheduler->error(), MonitorStoreError::storage());
}

TEST_F(MonitorSchedulerTest, RequestsDuringAPassCoalesceIntoOneMore)
{
    scheduledMonitor(ScheduleRule::every({60, allDays, std::nullopt}));
    auto scheduler = makeScheduler();
    QSignalSpy snapshots(scheduler.get(), &MonitorScheduler::snapshotChanged);
    QCoro::Task<void> running = scheduler->runCheckPass();
    for (int i = 0; i < 10; ++i) {
        scheduler->requestCheck();
    }
    finish(std::move(running));
    // The follow-up pass has ended once it published its snapshot.
    ASSERT_TRUE(waitUntil([&] { return snapshots.count() == 2; }));
    EXPECT_EQ(m_counting.refreshes, 2);
    finish(scheduler->runCheckPass());
    QCoreApplication::processEvents();
    EXPECT_EQ(m_counting.refreshes, 3);
}

TEST_F(MonitorSchedulerTest, ATimeZoneChangeRePlansAtOnce)
{
    // Daily at 12:00 local time; at 11:30 UTC nothing is due in UTC, but 12:00 in Berlin was 11:00 UTC.
    const Uuid id = scheduledMonitor(ScheduleRule::at({{12 * 60}, allDays}));
    m_time.setDate(at("2026-03-02T08:00:00Z"));
    auto scheduler = makeScheduler();
    scheduler->start();
    ASSERT_TRUE(waitUntil([&] { return m_counting.refreshes == 1; }));
    m_time.setDate(at("2026-03-02T11:30:00Z"));
    tick(*scheduler);
    EXPECT_TRUE(scheduler->snapshot().queue.empty());

    // The zone file replaced as a new link, as the system does it; no tick passes.
    m_zone = "Europe/Berlin";
    const int refreshes = m_counting.refreshes;
    QSignalSpy zoneChanges(scheduler.get(), &MonitorScheduler::timeZoneChanged);
    std::ofstream(m_directory / "berlin") << "CET";
    std::filesystem::create_symlink(m_directory / "berlin", m_directory / "localtime.new");
    std::filesystem::rename(m_directory / "localtime.new", m_directory / "localtime");
    ASSERT_TRUE(waitUntil([&] { return m_counting.refreshes > refreshes && !scheduler->snapshot().queue.empty(); }));
    EXPECT_EQ(scheduler->snapshot().queue.at(0).monitorID, id);
    EXPECT_EQ(scheduler->snapshot().queue.at(0).dueAtMilliseconds, at("2026-03-02T11:00:00Z").milliseconds());
    EXPECT_GE(zoneChanges.count(), 1) << "views showing times of day are told";
}

TEST_F(MonitorSchedulerTest, AClockJumpRePlansOnRequest)
{
    const Uuid id = scheduledMonitor(ScheduleRule::every({30, allDays, std::nullopt}));
    auto scheduler = makeScheduler();
    finish(scheduler->runCheckPass());
    EXPECT_TRUE(scheduler->snapshot().queue.empty());

    // The wall clock is set two days ahead; the clock watcher's notice requests a pass.
    m_time.setDate(m_time.date().addingSeconds(2 * 86400));
    scheduler->requestCheck();
    ASSERT_TRUE(waitUntil([&] { return !scheduler->snapshot().queue.empty(); }));
    EXPECT_EQ(scheduler->snapshot().queue.size(), 1u);
    EXPECT_EQ(scheduler->snapshot().states.at(id).nextDue, m_time.date().addingSeconds(30 * 60));

    // Set back by a day: nothing is due before the planned time.
    m_time.setDate(m_time.date().addingSeconds(-86400));
    finish(scheduler->runCheckPass());
    EXPECT_EQ(scheduler->snapshot().states.at(id).token, 2);
}

TEST_F(MonitorSchedulerTest, SettledExecutionsRequestPassesOnlyWhileStarted)
{
    scheduledMonitor(ScheduleRule::every({60, allDays, std::nullopt}));
    auto scheduler = makeScheduler();
    scheduler->start();
    ASSERT_TRUE(waitUntil([&] { return m_counting.refreshes == 1; }));
    ASSERT_TRUE(m_runner.onExecutionSettled);
    m_runner.onExecutionSettled();
    ASSERT_TRUE(waitUntil([&] { return m_counting.refreshes == 2; }));
    scheduler.reset();
    EXPECT_FALSE(m_runner.onExecutionSettled);
    m_time.advance(3s);
    EXPECT_EQ(m_counting.refreshes, 2);
}

} // namespace
} // namespace tavlen::test
