#include "Waiter.h"

#include "BoundedWait.h"
#include "CancelledError.h"
#include "Completion.h"
#include "EventLoopTest.h"
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

// A worker thread whose coroutines report to a probe.
class WaiterTest : public test::EventLoopTest
{
protected:
    WaiterTest()
    {
        m_worker.start();
        m_probe.worker = &m_worker;
    }

    ~WaiterTest() override
    {
        m_worker.quit();
        m_worker.wait();
    }

    // Runs start on the worker's loop and returns once it has run.
    template <class Start> void runOnWorker(Start start)
    {
        QObject anchor;
        anchor.moveToThread(&m_worker);
        QMetaObject::invokeMethod(
            &anchor,
            [&] {
                start();
                anchor.moveToThread(nullptr);
            },
            Qt::BlockingQueuedConnection);
    }

    QThread m_worker;
    Probe m_probe;
};

// A chain: the inner wait's end must unwind the outer frame too.
QCoro::Task<void> outer(Completion<int> answer, Probe* probe)
{
    const FrameGuard guard{probe};
    co_await waitForAnswer(std::move(answer), probe);
}

TEST_F(WaiterTest, loopEndingUnderSuspendedWaits_endsThemOnTheirThreadWithCancelledError_freeingEveryFrame)
{
    const Completion<int> never;
    const Completion<int> neverEither;
    const Completion<void> neverEnds;
    runOnWorker([&] {
        waitForAnswer(never, &m_probe);
        sleepLong(&m_probe);
        const TaskHandle<void> endless(
            [neverEnds](std::stop_token) -> QCoro::Task<void> { co_await neverEnds.wait(); });
        awaitTask(endless, &m_probe);
        outer(neverEither, &m_probe);
    });
    m_worker.quit();
    m_worker.wait();

    // waitForAnswer, sleepLong, awaitTask, and outer with its inner waitForAnswer.
    EXPECT_EQ(m_probe.framesFreed, 5);
    EXPECT_EQ(m_probe.cancelledOnWorker, 4);
    never.resume(1); // nobody is left to wake
    neverEither.resume(1);
    neverEnds.resume();
}

TEST_F(WaiterTest, wakeQueuedWhenTheLoopEnds_isDeliveredWithItsValue)
{
    const Completion<int> answer;
    runOnWorker([&] {
        waitForAnswer(answer, &m_probe);
        answer.resume(5); // queued on this thread's loop, which ends before it runs
        m_worker.quit();
    });
    m_worker.wait();

    EXPECT_EQ(m_probe.value, 5);
    EXPECT_EQ(m_probe.cancelledOnWorker, 0);
    EXPECT_EQ(m_probe.framesFreed, 1);
}

} // namespace
} // namespace tavlen
