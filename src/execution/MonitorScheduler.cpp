#include "MonitorScheduler.h"

#include "ClockChangeWatcher.h"
#include "HostTimeZone.h"
#include "MainThread.h"
#include "Observable.h"
#include "ScheduleRepository.h"
#include "Sleep.h"
#include "TimeSource.h"
#include "TimeZoneWatcher.h"
#include "WakeWatcher.h"

#include <QPointer>

#include <algorithm>
#include <chrono>

namespace tavlen {

namespace {

MonitorStoreError storeError(std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const MonitorStoreError& error) {
        return error;
    } catch (...) {
        return MonitorStoreError::storage();
    }
}

QCoro::Task<void> sleepOneTick(std::stop_token stop)
{
    // Counted on the boot-time clock, so a tick that spans a suspend ends as the system wakes.
    const auto deadline = systemTime().now(TimeSource::Clock::bootTime) + std::chrono::seconds(1);
    co_await sleepUntil(deadline, stop);
}

} // namespace

MonitorScheduler::MonitorScheduler(ScheduleRepository& repository,
                                   ScheduledCheckRunner& steps,
                                   std::function<bool()> isWorkspaceReady,
                                   Environment environment,
                                   QObject* parent)
    : QObject(parent)
    , m_repository(repository)
    , m_steps(steps)
    , m_isWorkspaceReady(std::move(isWorkspaceReady))
    , m_environment(std::move(environment))
{
    if (!m_environment.time) {
        m_environment.time = &systemTime();
    }
    if (!m_environment.timeZone) {
        m_environment.timeZone = [] { return hostTimeZoneID(); };
    }
    if (!m_environment.waitForTick) {
        m_environment.waitForTick = sleepOneTick;
    }
}

MonitorScheduler::~MonitorScheduler()
{
    if (m_timer) {
        m_steps.setOnExecutionSettled({});
    }
}

void MonitorScheduler::setError(const std::optional<MonitorStoreError>& error)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (assignIfChanged(m_error, error)) {
        Q_EMIT errorChanged();
    }
}

void MonitorScheduler::setPaused(bool paused)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (assignIfChanged(m_isPaused, paused)) {
        Q_EMIT isPausedChanged();
    }
}

void MonitorScheduler::start()
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (m_timer) {
        return;
    }
    m_steps.setOnExecutionSettled([self = QPointer(this)] {
        if (self) {
            self->requestCheck();
        }
    });
    m_watchers = std::make_unique<QObject>();
    auto* zone = new TimeZoneWatcher(m_environment.zoneFile, m_watchers.get());
    connect(zone, &TimeZoneWatcher::changed, this, &MonitorScheduler::requestCheck);
    connect(zone, &TimeZoneWatcher::changed, this, &MonitorScheduler::timeZoneChanged);
    if (m_environment.watchClockAndWake) {
        auto* clock = new ClockChangeWatcher(m_watchers.get());
        connect(clock, &ClockChangeWatcher::changed, this, &MonitorScheduler::requestCheck);
        auto* wake = new WakeWatcher(m_watchers.get());
        connect(wake, &WakeWatcher::woke, this, &MonitorScheduler::requestCheck);
    }
    m_timer.emplace(*this, [this, wait = m_environment.waitForTick](std::stop_token stop) {
        return runTimerLoop(std::move(stop), wait);
    });
}

void MonitorScheduler::stop()
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (m_timer) {
        m_timer->cancel();
        m_timer.reset();
    }
    m_watchers.reset();
    m_steps.setOnExecutionSettled({});
}

void MonitorScheduler::resume()
{
    setPaused(false);
    requestCheck();
}

void MonitorScheduler::requestCheck()
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (m_checking) {
        m_needsCheck = true;
        return;
    }
    startPass();
}

void MonitorScheduler::startPass()
{
    // A task of its own on the main loop; the pass itself notices when the scheduler is gone.
    TaskHandle<void>([self = QPointer(this)](std::stop_token) -> QCoro::Task<void> {
        if (self) {
            return self->runCheckPass();
        }
        return []() -> QCoro::Task<void> { co_return; }();
    });
}

QCoro::Task<void> MonitorScheduler::runTimerLoop(std::stop_token stop, WaitForTick waitForTick)
{
    // Touches the scheduler only while it exists; its destruction cancels stop, which ends the wait.
    const QPointer<MonitorScheduler> self(this);
    while (!stop.stop_requested()) {
        if (self) {
            co_await self->runCheckPass();
        }
        try {
            co_await waitForTick(stop);
        } catch (...) {
            co_return;
        }
    }
}

QCoro::Task<void> MonitorScheduler::runCheckPass()
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (m_checking || m_isPaused || m_error || !m_isWorkspaceReady()) {
        co_return;
    }
    m_checking = true;
    const Date now = m_environment.time->date();
    std::string zone = m_environment.timeZone();
    const QPointer<MonitorScheduler> self(this);
    std::optional<ScheduleSnapshot> refreshed;
    std::exception_ptr failure;
    try {
        refreshed = co_await m_repository.refresh(now, std::move(zone));
    } catch (...) {
        failure = std::current_exception();
    }
    if (!self) {
        co_return;
    }
    if (failure) {
        setError(storeError(failure));
    } else {
        m_snapshot = std::move(*refreshed);
        Q_EMIT snapshotChanged();
        if (self) {
            startFirstRunnable();
        }
    }
    if (!self) {
        co_return;
    }
    m_checking = false;
    if (m_needsCheck) {
        m_needsCheck = false;
        startPass();
    }
}

void MonitorScheduler::startFirstRunnable()
{
    // The state may have changed while the refresh was awaited.
    if (m_isPaused || m_error || !m_isWorkspaceReady() || !m_steps.canStartScheduledCheck()) {
        return;
    }
    for (const QueuedCheck& check : m_snapshot.queue) {
        if (m_snapshot.modelsUnavailable.contains(check.monitorID) || !m_steps.canRunScheduledCheck(check.monitorID)) {
            continue;
        }
        const QPointer<MonitorScheduler> self(this);
        ScheduleRepository* repository = &m_repository;
        const QueuedCheck started = check; // the walk's list may change under the call
        m_steps.startScheduledCheck(
            started,
            [self, repository, started] { return claim(self, repository, started); },
            [self](std::exception_ptr failure) {
                if (self) {
                    self->setError(storeError(failure));
                }
            });
        return;
    }
}

QCoro::Task<bool>
MonitorScheduler::claim(QPointer<MonitorScheduler> self, ScheduleRepository* repository, QueuedCheck check)
{
    if (!self || self->m_isPaused || !self->m_isWorkspaceReady()) {
        co_return false;
    }
    const bool claimed = co_await repository->claim(check);
    if (self) {
        std::erase_if(self->m_snapshot.queue, [&](const QueuedCheck& queued) { return queued.id == check.id; });
        Q_EMIT self->snapshotChanged();
    }
    co_return claimed;
}

} // namespace tavlen
