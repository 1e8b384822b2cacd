#include "MainThread.h"

#include "BoundedWait.h"
#include "Completion.h"
#include "EventLoopTest.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

namespace tavlen {
namespace {

class MainThreadTest : public test::EventLoopTest
{};

// Runs body on a plain worker thread while the main thread keeps its event loop going.
template <class Body> void runOnWorker(Body body)
{
    Completion<void> finished;
    std::thread worker([&body, finished] {
        body();
        finished.resume();
    });
    auto wait = [&]() -> QCoro::Task<void> { co_await finished.wait(); };
    test::waitBounded(wait());
    worker.join();
}

TEST_F(MainThreadTest, isMainThread_trueOnlyOnTheApplicationThread)
{
    EXPECT_TRUE(isMainThread());
    bool onWorker = true;
    std::thread([&onWorker] { onWorker = isMainThread(); }).join();
    EXPECT_FALSE(onWorker);
}

TEST_F(MainThreadTest, postAndWaitFromWorker_runsJobOnMainThreadBeforeReturning)
{
    std::atomic<bool> jobRan{false};
    std::atomic<bool> jobRanOnMain{false};
    bool jobHadRunWhenCallReturned = false;
    int result = 0;
    runOnWorker([&] {
        result = postToMainAndWait([&] {
            jobRanOnMain = isMainThread();
            jobRan = true;
            return 42;
        });
        jobHadRunWhenCallReturned = jobRan;
    });
    EXPECT_TRUE(jobHadRunWhenCallReturned);
    EXPECT_TRUE(jobRanOnMain);
    EXPECT_EQ(result, 42);
}

TEST_F(MainThreadTest, postAndWaitFromWorker_rethrowsWhatTheJobThrew)
{
    bool caught = false;
    runOnWorker([&] {
        try {
            postToMainAndWait([] { throw std::runtime_error("no window"); });
        } catch (const std::runtime_error& error) {
            caught = std::string(error.what()) == "no window";
        }
    });
    EXPECT_TRUE(caught);
}

TEST_F(MainThreadTest, postAndWaitOnMainThread_runsInline)
{
    bool ran = false;
    postToMainAndWait([&ran] { ran = true; });
    EXPECT_TRUE(ran);
}

TEST_F(MainThreadTest, postFromWorker_runsJobLaterOnMainThread)
{
    Completion<bool> ranOnMain;
    std::thread([ranOnMain] { postToMain([ranOnMain] { ranOnMain.resume(isMainThread()); }); }).join();
    auto wait = [&]() -> QCoro::Task<bool> { co_return co_await ranOnMain.wait(); };
    EXPECT_TRUE(test::waitBounded(wait()));
}

} // namespace
} // namespace tavlen
