#include "SerialExecutor.h"

#include "BoundedWait.h"
#include "EventLoopTest.h"
#include "MainThread.h"

#include <QThread>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace tavlen {
namespace {

class SerialExecutorTest : public test::EventLoopTest
{};

TEST_F(SerialExecutorTest, jobsRunInOrderOnOneWorkerThread_callerResumesOnMainThreadWithEachResult)
{
    constexpr int jobCount = 50;
    SerialExecutor executor("runtime-test");
    std::vector<int> order;                  // touched by jobs only, read after they all reported back
    std::vector<std::thread::id> jobThreads; // likewise
    std::vector<QCoro::Task<int>> jobs;
    for (int i = 0; i < jobCount; ++i) {
        jobs.push_back(executor.run([&, i] {
            EXPECT_TRUE(executor.isCurrent());
            order.push_back(i);
            jobThreads.push_back(std::this_thread::get_id());
            return i * i;
        }));
    }
    std::vector<int> results;
    bool alwaysResumedOnMain = true;
    auto collect = [&]() -> QCoro::Task<void> {
        for (QCoro::Task<int>& job : jobs) {
            results.push_back(co_await job);
            alwaysResumedOnMain = alwaysResumedOnMain && isMainThread();
        }
    };
    test::waitBounded(collect());

    EXPECT_FALSE(executor.isCurrent());
    EXPECT_TRUE(alwaysResumedOnMain);
    ASSERT_EQ(order.size(), static_cast<std::size_t>(jobCount));
    for (int i = 0; i < jobCount; ++i) {
        EXPECT_EQ(order[i], i);
        EXPECT_EQ(results[i], i * i);
        EXPECT_EQ(jobThreads[i], jobThreads.front());
    }
    EXPECT_NE(jobThreads.front(), std::this_thread::get_id());
}

TEST_F(SerialExecutorTest, throwingJob_rethrowsInCallerOnMainThread_andLaterJobsStillRun)
{
    SerialExecutor executor("runtime-test");
    bool caughtOnMain = false;
    std::string message;
    auto body = [&]() -> QCoro::Task<int> {
        try {
            co_await executor.run([]() -> int { throw std::runtime_error("disk full"); });
        } catch (const std::runtime_error& error) {
            caughtOnMain = isMainThread();
            message = error.what();
        }
        co_await executor.run([] {}); // void jobs too
        co_return co_await executor.run([] { return 7; });
    };
    EXPECT_EQ(test::waitBounded(body()), 7);
    EXPECT_TRUE(caughtOnMain);
    EXPECT_EQ(message, "disk full");
}

TEST_F(SerialExecutorTest, callerOnWorkerQThread_resumesOnThatThread)
{
    SerialExecutor executor("runtime-test");
    QThread caller;
    caller.start();
    QObject anchor;
    anchor.moveToThread(&caller);
    Completion<bool> resumedOnCaller;
    auto body = [&]() -> QCoro::Task<void> {
        const std::thread::id jobThread = co_await executor.run([] { return std::this_thread::get_id(); });
        resumedOnCaller.resume(QThread::currentThread() == &caller && jobThread != std::this_thread::get_id());
    };
    QMetaObject::invokeMethod(
        &anchor, [&] { body(); }, Qt::QueuedConnection);
    auto outcome = [&]() -> QCoro::Task<bool> { co_return co_await resumedOnCaller.wait(); };
    EXPECT_TRUE(test::waitBounded(outcome()));
    caller.quit();
    caller.wait();
}

TEST_F(SerialExecutorTest, destruction_runsQueuedJobsBeforeJoining)
{
    std::vector<int> ran;
    std::vector<QCoro::Task<void>> pending;
    {
        SerialExecutor executor("runtime-test");
        for (int i = 0; i < 20; ++i) {
            pending.push_back(executor.run([&ran, i] { ran.push_back(i); }));
        }
    }
    EXPECT_EQ(ran.size(), 20u);
    auto drain = [&]() -> QCoro::Task<void> {
        for (QCoro::Task<void>& job : pending) {
            co_await job;
        }
    };
    EXPECT_NO_THROW(test::waitBounded(drain()));
}

} // namespace
} // namespace tavlen
