#include "Background.h"

#include "BoundedWait.h"
#include "CancelledError.h"
#include "MainThread.h"
#include "WaitUntil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace tavlen {
namespace {

TEST(BackgroundTest, theJobRunsOffTheCallingThreadAndItsResultComesBackThere)
{
    std::thread::id jobThread;
    auto job = [&jobThread] {
        jobThread = std::this_thread::get_id();
        return std::string("done");
    };
    bool resumedOnMain = false;
    auto run = [&]() -> QCoro::Task<std::string> {
        auto task = runInBackground(std::move(job));
        std::string value = co_await std::move(task);
        resumedOnMain = isMainThread();
        co_return value;
    };
    EXPECT_EQ(test::waitBounded(run()), "done");
    EXPECT_TRUE(resumedOnMain);
    EXPECT_NE(jobThread, std::thread::id());
    EXPECT_NE(jobThread, std::this_thread::get_id());
}

TEST(BackgroundTest, whatTheJobThrowsIsRethrownToTheWaiterAndMoveOnlyJobsAreTaken)
{
    auto owned = std::make_unique<int>(7);
    auto job = [owned = std::move(owned)]() -> int { throw std::runtime_error("job " + std::to_string(*owned)); };
    try {
        test::waitBounded(runInBackground(std::move(job)));
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "job 7");
    }
}

TEST(BackgroundTest, aCallerWithoutEventLoopIsRefusedAndNothingRuns)
{
    std::atomic<bool> ran = false;
    std::string refusal;
    std::thread([&] {
        auto start = [&]() -> QCoro::Task<void> {
            try {
                auto job = [&ran] { ran = true; };
                auto task = runInBackground(std::move(job));
                co_await std::move(task);
            } catch (const std::logic_error& error) {
                refusal = error.what();
            }
        };
        QCoro::Task<void> task = start();
    }).join();
    backgroundPool().waitForDone();
    EXPECT_EQ(refusal, "runInBackground needs a caller with a running Qt event loop");
    EXPECT_FALSE(ran);
}

TEST(BackgroundTest, jobsBeyondThePoolsBoundWaitTheirTurnAndAJobStoppedWhileWaitingNeverRuns)
{
    const int bound = backgroundPool().maxThreadCount();
    EXPECT_NE(&backgroundPool(), QThreadPool::globalInstance());
    EXPECT_GE(bound, 1);
    EXPECT_LE(bound, 4);

    std::mutex mutex;
    std::condition_variable wake;
    int running = 0;
    int most = 0;
    bool open = false;
    auto blocker = [&] {
        std::unique_lock lock(mutex);
        most = std::max(most, ++running);
        wake.wait(lock, [&] { return open; });
        --running;
    };
    std::vector<QCoro::Task<void>> blocked;
    for (int i = 0; i < bound + 2; ++i) {
        blocked.push_back(runInBackground(blocker));
    }
    test::waitUntil([&] {
        std::lock_guard lock(mutex);
        return running == bound;
    });

    std::atomic<bool> ran = false;
    std::stop_source stop;
    auto skipped = runInBackground([&ran] { ran = true; }, stop.get_token());
    stop.request_stop();
    {
        std::lock_guard lock(mutex);
        open = true;
    }
    wake.notify_all();
    for (auto& task : blocked) {
        test::waitBounded(std::move(task));
    }
    EXPECT_THROW(test::waitBounded(std::move(skipped)), CancelledError);
    EXPECT_FALSE(ran);
    EXPECT_EQ(most, bound);
}

} // namespace
} // namespace tavlen
