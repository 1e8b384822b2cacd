#include "Sleep.h"

#include "BoundedWait.h"
#include "CancelledError.h"
#include "Completion.h"
#include "EventLoopTest.h"

#include <QThread>

#include <gtest/gtest.h>

#include <chrono>
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

TEST_F(SleepTest, shortSleepWithoutStop_suspendsThenCompletes)
{
    std::stop_source source;
    QCoro::Task<void> sleep = sleepFor(5ms, source.get_token());
    EXPECT_FALSE(sleep.isReady());
    EXPECT_NO_THROW(test::waitBounded(std::move(sleep)));
    // A stop after the sleep ended has nothing left to wake.
    source.request_stop();
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
