#pragma once

#include <QObject>
#include <QPointer>

#ifndef Q_MOC_RUN
#include "Date.h"
#include "MonitorStoreError.h"
#include "QueuedCheck.h"
#include "ScheduleSnapshot.h"
#include "ScheduledCheckRunner.h"
#include "TaskHandle.h"

#include <QCoroTask>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#endif

namespace tavlen {

class ScheduleRepository;
class TimeSource;

// What a scheduler takes from its surroundings; tests replace it, and each empty member takes its default.
struct MonitorSchedulerEnvironment
{
    // Waits one tick; throws CancelledError on a stop.
    using WaitForTick = std::function<QCoro::Task<void>(std::stop_token)>;

    const TimeSource* time = nullptr;                  // the date of a pass; default: systemTime()
    std::function<std::string()> timeZone;             // default: the host's zone, asked anew each pass
    WaitForTick waitForTick;                           // default: one second on the boot-time clock
    std::filesystem::path zoneFile = "/etc/localtime"; // watched for time-zone changes
    bool watchClockAndWake = true;                     // the clock's timerfd and logind's wake notice
};

// Starts scheduled checks while the application runs: about once a second, and at once when something may have
// changed (an execution settled, a schedule was saved, the time zone or the clock changed, the system woke), a
// pass refreshes every enabled monitor's schedule, publishes the snapshot and hands the first runnable queued
// check to the steps store. At most one check starts per pass; passes never overlap, and requests during a pass
// coalesce into one more. Lives on the main thread.
class MonitorScheduler final : public QObject
{
    Q_OBJECT

public:
    using Environment = MonitorSchedulerEnvironment;
    using WaitForTick = Environment::WaitForTick;

    MonitorScheduler(ScheduleRepository& repository,
                     ScheduledCheckRunner& steps,
                     std::function<bool()> isWorkspaceReady,
                     Environment environment = {},
                     QObject* parent = nullptr);
    ~MonitorScheduler() override;

    const ScheduleSnapshot& snapshot() const { return m_snapshot; }

    const std::optional<MonitorStoreError>& error() const { return m_error; }

    // Cleared by "Retry scheduling", which then runs a pass directly.
    void setError(const std::optional<MonitorStoreError>& error);

    bool isPaused() const { return m_isPaused; }

    void setPaused(bool paused);

    // Starts the one-second passes (the first at once) and the system watchers; does nothing when started.
    void start();
    // Ends the passes and the watchers; pause, error and snapshot stay.
    void stop();
    // Unpauses and requests a pass.
    void resume();
    // A pass as soon as possible: at once, or right after the running one.
    void requestCheck();
    // One pass; does nothing while paused, halted by an error, the workspace not ready or a pass running.
    QCoro::Task<void> runCheckPass();

    bool isStarted() const { return m_timer.has_value(); }

Q_SIGNALS:
    void snapshotChanged();
    void errorChanged();
    void isPausedChanged();
    // The system's time zone changed while started: what shows times of day redraws them.
    void timeZoneChanged();

private:
    QCoro::Task<void> runTimerLoop(std::stop_token stop, WaitForTick waitForTick);
    void startFirstRunnable();
    void startPass();
    static QCoro::Task<bool> claim(QPointer<MonitorScheduler> self, ScheduleRepository* repository, QueuedCheck check);

    ScheduleRepository& m_repository;
    ScheduledCheckRunner& m_steps;
    std::function<bool()> m_isWorkspaceReady;
    Environment m_environment;
    ScheduleSnapshot m_snapshot;
    std::optional<MonitorStoreError> m_error;
    bool m_isPaused = false;
    std::optional<TaskHandle<void>> m_timer;
    bool m_checking = false;
    bool m_needsCheck = false;
    std::unique_ptr<QObject> m_watchers; // parent of the system watchers while started
};

} // namespace tavlen
