#include "Waiter.h"

#include "BoundedWait.h"
#include "CancelledError.h"
#include "Completion.h"
#include "Sleep.h"
#include "TaskHandle.h"

#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stop_token>

namespace tavlen {
namespace {

using namespace std::chrono_literals;

class WaiterTest : public testing::Test
{
protected:
    void TearDown() override { test::flushDeferredDeletes(); }
};

// What the coroutines of one worker thread report.
struct Probe
{
    QThread* worker = nullptr;
    std::atomic<int> framesFreed{0};
    std::atomic<int> cancelledOnWorker{0};
    std::atomic<int> value{0};
};

// Counts its frame's end: a frame leaked at the loop's end never counts.
struct FrameGuard
{
    Probe* probe;

    ~FrameGuard() { ++probe->framesFreed; }
};

void noteCancelled(Probe* probe)
{
    if (QThread::currentThread() == probe->worker) {
        ++probe->cancelledOnWorker;
    }
}

QCoro::Task<void> waitForAnswer(Completion<int> answer, Probe* probe)
{
    const FrameGuard guard{probe};
    try {
        probe->value = co_await answer.wait();
    } catch (const CancelledError&) {
        noteCancelled(probe);
    }
}

QCoro::Task<void> sleepLong(Probe* probe)
{
    const FrameGuard guard{probe};
    try {
        co_await sleepFor(1h, {});
    } catch (const CancelledError&) {
        noteCancelled(probe);
    }
}

QCoro::Task<void> awaitTask(TaskHandle<void> task, Probe* probe)
{
    const FrameGuard guard{probe};
    try {
        co_await task.result();
    } catch (const CancelledError&) {
        noteCancelled(probe);
    }
}

// A chain: the inner wait's end must unwind the outer frame too.
QCoro::Task<void> outer(Completion<int> answer, Probe* probe)
{
    const FrameGuard guard{probe};
    co_await waitForAnswer(std::move(answer), probe);
}

TEST_F(WaiterTest, loopEndingUnderSuspendedWaits_endsThemOnTheirThreadWithCancelledError_freeingEveryFrame)
{
    QThread worker;
    worker.start();
    QObject anchor;
    anchor.moveToThread(&worker);
    Probe probe;
    probe.worker = &worker;
    const Completion<int> never;
    const Completion<int> neverEither;
    const Completion<void> neverEnds;
    QMetaObject::invokeMethod(
        &anchor,
        [&] {
            waitForAnswer(never, &probe);
            sleepLong(&probe);
            const TaskHandle<void> endless(
                [neverEnds](std::stop_token) -> QCoro::Task<void> { co_await neverEnds.wait(); });
            awaitTask(endless, &probe);
            outer(neverEither, &probe);
            anchor.moveToThread(nullptr);
        },
        Qt::BlockingQueuedConnection);
    worker.quit();
    worker.wait();

    // waitForAnswer, sleepLong, awaitTask, outer with its inner waitForAnswer, and the endless body's driver.
    EXPECT_EQ(probe.framesFreed, 5);
    EXPECT_EQ(probe.cancelledOnWorker, 4);
    never.resume(1); // nobody is left to wake
    neverEither.resume(1);
    neverEnds.resume();
}

TEST_F(WaiterTest, wakeQueuedWhenTheLoopEnds_isDeliveredWithItsValue)
{
    QThread worker;
    worker.start();
    QObject anchor;
    anchor.moveToThread(&worker);
    Probe probe;
    probe.worker = &worker;
    const Completion<int> answer;
    QMetaObject::invokeMethod(
        &anchor,
        [&] {
            waitForAnswer(answer, &probe);
            answer.resume(5); // queued on this thread's loop, which ends before it runs
            anchor.moveToThread(nullptr);
            worker.quit();
        },
        Qt::BlockingQueuedConnection);
    worker.wait();

    EXPECT_EQ(probe.value, 5);
    EXPECT_EQ(probe.cancelledOnWorker, 0);
    EXPECT_EQ(probe.framesFreed, 1);
}

} // namespace
} // namespace tavlen
