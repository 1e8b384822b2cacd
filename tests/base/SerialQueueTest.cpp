#include "SerialQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <thread>
#include <vector>

namespace tavlen {
namespace {

constexpr auto kGenerousTimeout = std::chrono::seconds(30);

TEST(SerialQueue, jobsRunInPostedOrderOnOneOtherThread)
{
    std::vector<int> order;
    std::vector<std::thread::id> threads;
    std::atomic<int> running{0};
    std::atomic<bool> overlapped{false};
    {
        SerialQueue queue("test.order");
        EXPECT_FALSE(queue.isCurrent());
        for (int i = 0; i < 200; ++i) {
            queue.post([&, i] {
                if (running.fetch_add(1) != 0) {
                    overlapped = true;
                }
                EXPECT_TRUE(queue.isCurrent());
                order.push_back(i);
                threads.push_back(std::this_thread::get_id());
                running.fetch_sub(1);
            });
        }
    } // the destructor runs what is queued
    ASSERT_EQ(order.size(), 200u);
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(order[static_cast<std::size_t>(i)], i);
    }
    EXPECT_FALSE(overlapped);
    EXPECT_NE(threads.front(), std::this_thread::get_id());
    for (const auto& id : threads) {
        EXPECT_EQ(id, threads.front());
    }
}

TEST(SerialQueue, postsFromManyThreadsAndFromJobs_allRunBeforeDestructionEnds)
{
    std::atomic<int> count{0};
    {
        SerialQueue queue("test.many");
        std::vector<std::thread> posters;
        for (int t = 0; t < 4; ++t) {
            posters.emplace_back([&] {
                for (int i = 0; i < 100; ++i) {
                    queue.post([&] {
                        ++count;
                        queue.post([&] { ++count; });
                    });
                }
            });
        }
        for (auto& poster : posters) {
            poster.join();
        }
    }
    EXPECT_EQ(count.load(), 800);
}

TEST(SerialQueue, jobCompletesWhileQueueLives)
{
    SerialQueue queue("test.wait");
    std::promise<bool> ranOnQueue;
    auto future = ranOnQueue.get_future();
    queue.post([&] { ranOnQueue.set_value(queue.isCurrent()); });
    ASSERT_EQ(future.wait_for(kGenerousTimeout), std::future_status::ready);
    EXPECT_TRUE(future.get());
}

TEST(SerialQueue, destructionWaitsForRunningJob)
{
    auto finished = std::make_shared<std::atomic<bool>>(false);
    std::promise<void> started;
    std::promise<void> release;
    auto releaseFuture = release.get_future().share();
    std::thread destroyer;
    std::atomic<bool> finishedWhenDestroyed{false};
    {
        auto queue = std::make_unique<SerialQueue>("test.dtor");
        queue->post([&started, releaseFuture, finished] {
            started.set_value();
            releaseFuture.wait();
            *finished = true;
        });
        ASSERT_EQ(started.get_future().wait_for(kGenerousTimeout), std::future_status::ready);
        destroyer = std::thread([q = std::move(queue), finished, &finishedWhenDestroyed]() mutable {
            q.reset();
            finishedWhenDestroyed = finished->load();
        });
    }
    EXPECT_FALSE(finished->load());
    release.set_value();
    destroyer.join();
    EXPECT_TRUE(finishedWhenDestroyed.load());
}

} // namespace
} // namespace tavlen
