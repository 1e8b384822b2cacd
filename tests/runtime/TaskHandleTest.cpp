#include "TaskHandle.h"

#include "BoundedWait.h"
#include "CancelledError.h"
#include "Completion.h"
#include "EventLoopTest.h"
#include "MainThread.h"
#include "Sleep.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

namespace tavlen {
namespace {

using namespace std::chrono_literals;

class TaskHandleTest : public test::EventLoopTest
{};

// The outcome one waiter saw.
struct Seen
{
    std::string value;
    std::string error;
    bool onMainThread = false;
};

QCoro::Task<Seen> watch(TaskHandle<std::string> task)
{
    Seen seen;
    try {
        seen.value = co_await task.result();
    } catch (const CancelledError&) {
        seen.error = "cancelled";
    } catch (const std::exception& error) {
        seen.error = error.what();
    }
    seen.onMainThread = isMainThread();
    co_return seen;
}

TEST_F(TaskHandleTest, severalWaiters_eachGetTheResultOrTheError)
{
    struct Row
    {
        const char* name;
        bool fails;
        std::string expectedValue;
        std::string expectedError;
    };

    const Row rows[] = {
        {"a value reaches every waiter", false, "done", ""},
        {"an error reaches every waiter", true, "", "page unreachable"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Completion<void> gate;
        // The gate is released from another thread, so the task's end arrives through the main loop.
        TaskHandle<std::string> task([gate, fails = row.fails](std::stop_token) -> QCoro::Task<std::string> {
            co_await gate.wait();
            if (fails) {
                throw std::runtime_error("page unreachable");
            }
            co_return "done";
        });
        QCoro::Task<Seen> first = watch(task);
        QCoro::Task<Seen> second = watch(task);
        EXPECT_FALSE(task.isFinished());
        std::thread([gate] { gate.resume(); }).join();
        for (Seen seen : {test::waitBounded(std::move(first)), test::waitBounded(std::move(second))}) {
            EXPECT_EQ(seen.value, row.expectedValue);
            EXPECT_EQ(seen.error, row.expectedError);
            EXPECT_TRUE(seen.onMainThread);
        }
        EXPECT_TRUE(task.isFinished());
        // A waiter arriving after the end gets the same outcome without suspending.
        QCoro::Task<Seen> late = watch(task);
        EXPECT_TRUE(late.isReady());
        const Seen lateSeen = test::waitBounded(std::move(late));
        EXPECT_EQ(lateSeen.value, row.expectedValue);
        EXPECT_EQ(lateSeen.error, row.expectedError);
    }
}

TEST_F(TaskHandleTest, cancelledDuringSleep_endsPromptlyWithCancelledError)
{
    bool bodyReachedEnd = false;
    TaskHandle<void> task([&bodyReachedEnd](std::stop_token stop) -> QCoro::Task<void> {
        co_await sleepFor(1h, stop);
        bodyReachedEnd = true;
    });
    EXPECT_FALSE(task.isFinished());
    task.cancel();
    EXPECT_THROW(test::waitBounded(task.result()), CancelledError);
    EXPECT_TRUE(task.isFinished());
    EXPECT_FALSE(bodyReachedEnd);
}

TEST_F(TaskHandleTest, droppingEveryHandle_neitherCancelsNorLosesTheBody)
{
    Completion<void> gate;
    Completion<int> reported;
    {
        TaskHandle<void> task([gate, reported](std::stop_token stop) -> QCoro::Task<void> {
            co_await gate.wait();
            reported.resume(stop.stop_requested() ? -1 : 1);
        });
    }
    gate.resume();
    auto wait = [&]() -> QCoro::Task<int> { co_return co_await reported.wait(); };
    EXPECT_EQ(test::waitBounded(wait()), 1);
}

} // namespace
} // namespace tavlen
