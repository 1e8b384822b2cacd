#include "SerialExecutor.h"

#include "BoundedWait.h"
#include "EventLoopTest.h"
#include "MainThread.h"

#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <memory>
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

TEST_F(SerialExecutorTest, callerOnAThreadWithoutEventLoop_isRefusedAtTheCall_andTheJobNeverRuns)
{
    SerialExecutor executor("runtime-test");
    std::atomic<bool> jobRan{false};
    std::string refusal;
    bool resumedOffTheCallersThread = false;
    std::thread([&] {
        const std::thread::id caller = std::this_thread::get_id();
        auto body = [&]() -> QCoro::Task<void> {
            try {
                co_await executor.run([&jobRan] { jobRan = true; });
                resumedOffTheCallersThread = std::this_thread::get_id() != caller;
            } catch (const std::logic_error& error) {
                refusal = error.what();
            }
        };
        QCoro::Task<void> task = body();
    }).join();
    // Had the job been queued, it would run before this one.
    test::waitBounded(executor.run([] {}));
    EXPECT_EQ(refusal, "SerialExecutor::run needs a caller with a running Qt event loop");
    EXPECT_FALSE(jobRan);
    EXPECT_FALSE(resumedOffTheCallersThread);
}

TEST_F(SerialExecutorTest, destroyedOnTheMainThreadWhileAJobWaitsForTheMainThread_runsThatHandOffInsteadOfDeadlocking)
{
    // Before: the main thread joined the job, which waited for the main thread. The watchdog turns that hang
    // into a failure.
    std::atomic<bool> destroyed{false};
    std::thread watchdog([&destroyed] {
        for (int i = 0; i < 200 && !destroyed; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        if (!destroyed) {
            std::fprintf(stderr, "the executor's destruction deadlocked\n");
            std::abort();
        }
    });
    auto executor = std::make_unique<SerialExecutor>("runtime-test");
    std::promise<void> entered;
    std::atomic<bool> handOffOnMain{false};
    int jobResult = 0;
    auto job = [&] {
        entered.set_value();
        jobResult = postToMainAndWait([&handOffOnMain] {
            handOffOnMain = isMainThread();
            return 11;
        });
    };
    QCoro::Task<void> pending = executor->run(job);
    entered.get_future().wait(); // the job is on its way into postToMainAndWait
    executor.reset();
    destroyed = true;
    watchdog.join();

    EXPECT_TRUE(handOffOnMain);
    EXPECT_EQ(jobResult, 11);
    EXPECT_NO_THROW(test::waitBounded(std::move(pending)));
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
