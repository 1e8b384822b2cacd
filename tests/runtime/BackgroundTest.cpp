#include "Background.h"

#include "BoundedWait.h"
#include "MainThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

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
    QThreadPool::globalInstance()->waitForDone();
    EXPECT_EQ(refusal, "runInBackground needs a caller with a running Qt event loop");
    EXPECT_FALSE(ran);
}

} // namespace
} // namespace tavlen
