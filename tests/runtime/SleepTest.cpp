#include "Sleep.h"

#include "BoundedWait.h"
#include "CancelledError.h"
#include "Completion.h"
#include "EventLoopTest.h"
#include "VirtualTime.h"

#include <QThread>

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <stop_token>
#include <thread>

namespace tavlen {
namespace {

using namespace std::chrono_literals;

class SleepTest : public test::EventLoopTest
{};

TEST_F(SleepTest, stopRequested_wakesLongSleepWithCancelledError)
{
    enum class Stop
    {
        beforeTheCall,
        fromTheMainThreadWhileAsleep,
        fromAnotherThreadWhileAsleep
    };

    struct Row
    {
        const char* name;
        Stop stop;
    };

    const Row rows[] = {
        {"a stop requested before the call throws at once", Stop::beforeTheCall},
        {"a stop from the sleeping thread wakes it", Stop::fromTheMainThreadWhileAsleep},
        {"a stop from another thread wakes it", Stop::fromAnotherThreadWhileAsleep},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::stop_source source;
        if (row.stop == Stop::beforeTheCall) {
            source.request_stop();
        }
        QCoro::Task<void> sleep = sleepFor(1h, source.get_token());
        if (row.stop == Stop::fromTheMainThreadWhileAsleep) {
            EXPECT_FALSE(sleep.isReady());
            source.request_stop();
        } else if (row.stop == Stop::fromAnotherThreadWhileAsleep) {
            EXPECT_FALSE(sleep.isReady());
            std::thread([&source] { source.request_stop(); }).join();
        }
        EXPECT_THROW(test::waitBounded(std::move(sleep)), CancelledError);
    }
}

TEST_F(SleepTest, shortSleepWithoutStop_suspendsThenCompletesNoEarlierThanItsDuration)
{
    constexpr auto duration = 200ms;
    std::stop_source source;
    const auto start = std::chrono::steady_clock::now();
    QCoro::Task<void> sleep = sleepFor(duration, source.get_token());
    EXPECT_FALSE(sleep.isReady());
    EXPECT_NO_THROW(test::waitBounded(std::move(sleep)));
    EXPECT_GE(std::chrono::steady_clock::now() - start, duration);
    // A stop after the sleep ended has nothing left to wake.
    source.request_stop();
}

TEST_F(SleepTest, virtualTime_sleepEndsExactlyWhenItsDurationHasPassed)
{
    struct Row
    {
        const char* name;
        std::chrono::milliseconds duration;
    };

    const Row rows[] = {
        {"a 50 ms poll", 50ms},
        {"a 100 ms poll", 100ms},
        {"a one-second tick", 1s},
        {"a 35-second deadline", 35s},
        {"longer than a timer's int of milliseconds", std::chrono::hours(24 * 40)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::VirtualTime time;
        QCoro::Task<void> sleep = sleepFor(row.duration, {}, time);
        time.advance(row.duration - 1ns);
        EXPECT_FALSE(sleep.isReady());
        time.advance(1ns);
        EXPECT_TRUE(sleep.isReady());
        EXPECT_EQ(time.armedTimers(), 0u);
    }
}

TEST_F(SleepTest, virtualTime_aTickingLoopTicksOncePerSecondOfTime)
{
    test::VirtualTime time;
    std::stop_source source;
    int ticks = 0;
    auto ticker = [&]() -> QCoro::Task<void> {
        while (true) {
            co_await sleepFor(1s, source.get_token(), time);
            ++ticks;
        }
    };
    QCoro::Task<void> running = ticker();
    time.advance(5s);
    EXPECT_EQ(ticks, 5);
    time.advance(999ms);
    EXPECT_EQ(ticks, 5);
    time.advance(1ms);
    EXPECT_EQ(ticks, 6);
    source.request_stop();
    EXPECT_THROW(test::waitBounded(std::move(running)), CancelledError);
    EXPECT_EQ(ticks, 6);
}

TEST_F(SleepTest, systemSuspend_countsForSleepUntilOnBootTime_butNotForSleepFor)
{
    test::VirtualTime time;
    const std::chrono::nanoseconds deadline = time.now(TimeSource::Clock::bootTime) + 30min;
    QCoro::Task<void> untilDeadline = sleepUntil(deadline, {}, time);
    QCoro::Task<void> forDuration = sleepFor(30min, {}, time);

    time.suspend(2h); // the machine slept through the deadline

    EXPECT_TRUE(untilDeadline.isReady());
    EXPECT_FALSE(forDuration.isReady());
    time.advance(30min);
    EXPECT_TRUE(forDuration.isReady());
}

TEST_F(SleepTest, sleepUntilOnTheSystemBootTimeClock_endsNoEarlierThanItsDeadline)
{
    const auto bootTime = [] { return systemTime().now(TimeSource::Clock::bootTime); };
    const std::chrono::nanoseconds deadline = bootTime() + 150ms;
    EXPECT_NO_THROW(test::waitBounded(sleepUntil(deadline, {})));
    EXPECT_GE(bootTime(), deadline);
    // A deadline already passed ends the sleep through the loop, not inside the call.
    QCoro::Task<void> passed = sleepUntil(bootTime() - 1s, {});
    EXPECT_FALSE(passed.isReady());
    EXPECT_NO_THROW(test::waitBounded(std::move(passed)));
}

TEST_F(SleepTest, threadWithoutEventLoop_isRefused)
{
    bool refused = false;
    std::thread([&refused] {
        auto sleeper = [&refused]() -> QCoro::Task<void> {
            try {
                co_await sleepFor(1ms, {});
            } catch (const std::logic_error&) {
                refused = true;
            }
        };
        QCoro::Task<void> task = sleeper();
    }).join();
    EXPECT_TRUE(refused);
}

TEST_F(SleepTest, sleeperOnWorkerThread_isWokenOnThatThreadByStopFromMainThread)
{
    QThread worker;
    worker.start();
    QObject anchor;
    anchor.moveToThread(&worker);
    std::stop_source source;
    Completion<bool> cancelledOnWorker;
    auto body = [&]() -> QCoro::Task<void> {
        try {
            co_await sleepFor(1h, source.get_token());
            cancelledOnWorker.resume(false);
        } catch (const CancelledError&) {
            cancelledOnWorker.resume(QThread::currentThread() == &worker);
        }
    };
    // Blocking, so the sleep is registered on the worker before the stop is requested.
    QMetaObject::invokeMethod(
        &anchor, [&] { body(); }, Qt::BlockingQueuedConnection);
    source.request_stop();
    auto outcome = [&]() -> QCoro::Task<bool> { co_return co_await cancelledOnWorker.wait(); };
    EXPECT_TRUE(test::waitBounded(outcome()));
    worker.quit();
    worker.wait();
}

} // namespace
} // namespace tavlen
