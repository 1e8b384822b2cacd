#include "ThreadLoop.h"

#include "BoundedWait.h"
#include "Completion.h"
#include "EventLoopTest.h"

#include <QThread>

#include <gtest/gtest.h>

#include <memory>

namespace tavlen {
namespace {

class ThreadLoopTest : public test::EventLoopTest
{};

// A loop captured on a worker QThread, as a suspended coroutine holds it.
ThreadLoop captureOn(QThread& thread)
{
    QObject anchor;
    anchor.moveToThread(&thread);
    ThreadLoop loop;
    QMetaObject::invokeMethod(
        &anchor, [&loop] { loop = ThreadLoop::current(); }, Qt::BlockingQueuedConnection);
    QMetaObject::invokeMethod(
        &anchor, [&anchor] { anchor.moveToThread(nullptr); }, Qt::BlockingQueuedConnection);
    return loop;
}

TEST_F(ThreadLoopTest, postRunsOnTheCapturedThread)
{
    QThread worker;
    worker.start();
    const ThreadLoop loop = captureOn(worker);
    ASSERT_TRUE(loop.hasEventLoop());
    Completion<bool> ranOnWorker;
    loop.post([ranOnWorker, &worker] { ranOnWorker.resume(QThread::currentThread() == &worker); });
    auto wait = [&]() -> QCoro::Task<bool> { co_return co_await ranOnWorker.wait(); };
    EXPECT_TRUE(test::waitBounded(wait()));
    worker.quit();
    worker.wait();
}

TEST_F(ThreadLoopTest, postAfterTheCapturedThreadEnded_dropsTheJobUnrun)
{
    QThread worker;
    worker.start();
    const ThreadLoop loop = captureOn(worker);
    ASSERT_TRUE(loop.hasEventLoop());
    worker.quit();
    worker.wait(); // the thread's event dispatcher is gone now

    auto captured = std::make_shared<int>(0);
    bool ran = false;
    loop.post([captured, &ran] { ran = true; });
    EXPECT_FALSE(ran);
    EXPECT_EQ(captured.use_count(), 1); // the job and its captures were released
}

TEST_F(ThreadLoopTest, threadWithoutEventLoop_runsInline)
{
    const ThreadLoop loop; // as captured on a plain std::thread
    EXPECT_FALSE(loop.hasEventLoop());
    bool ran = false;
    loop.post([&ran] { ran = true; });
    EXPECT_TRUE(ran);
}

} // namespace
} // namespace tavlen
