#include "TaskHandle.h"

#include "BoundedWait.h"
#include "CancelledError.h"
#include "Completion.h"
#include "EventLoopTest.h"
#include "MainThread.h"
#include "Sleep.h"

#include <QMetaMethod>
#include <QObject>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

namespace tavlen {
namespace {

using namespace std::chrono_literals;

class TaskHandleTest : public test::EventLoopTest
{};

// An owner that tells whether anything still listens for its end.
class Owner : public QObject
{
public:
    bool isWatched() const { return isSignalConnected(QMetaMethod::fromSignal(&QObject::destroyed)); }
};

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

TEST_F(TaskHandleTest, ownerDestroyed_cancelsTheTask_andNoCodeAfterAWaitRunsWithoutIt)
{
    enum class Waiting
    {
        asleep,
        valueAlreadyArrived
    };

    struct Row
    {
        const char* name;
        Waiting waiting;
    };

    const Row rows[] = {
        {"a body asleep is woken with CancelledError", Waiting::asleep},
        {"a body whose value arrived in the same turn still gets CancelledError", Waiting::valueAlreadyArrived},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto owner = std::make_unique<QObject>();
        Completion<int> answer;
        bool ranAfterTheWait = false;
        const TaskHandle<void> task(*owner, [&, owner = owner.get()](std::stop_token stop) -> QCoro::Task<void> {
            if (row.waiting == Waiting::asleep) {
                co_await sleepFor(1h, stop);
            } else {
                co_await answer.wait(stop);
            }
            owner->setObjectName(QStringLiteral("touched")); // would use a destroyed owner
            ranAfterTheWait = true;
        });
        if (row.waiting == Waiting::valueAlreadyArrived) {
            answer.resume(1); // the wake-up is queued...
        }
        owner.reset(); // ...and the owner goes before it runs
        EXPECT_THROW(test::waitBounded(task.result()), CancelledError);
        EXPECT_FALSE(ranAfterTheWait);
    }
}

TEST_F(TaskHandleTest, ownerOutlivingItsTask_isLeftAlone)
{
    Owner owner;
    const TaskHandle<int> task(owner, [](std::stop_token) -> QCoro::Task<int> { co_return 3; });
    EXPECT_EQ(test::waitBounded(task.result()), 3);
    EXPECT_FALSE(owner.isWatched());
}

TEST_F(TaskHandleTest, waiterStopped_abandonsItsWaitButNotTheTask)
{
    Completion<void> gate;
    const TaskHandle<int> task([gate](std::stop_token) -> QCoro::Task<int> {
        co_await gate.wait();
        co_return 8;
    });
    std::stop_source waiter;
    QCoro::Task<int> abandoned = task.result(waiter.get_token());
    waiter.request_stop();
    EXPECT_THROW(test::waitBounded(std::move(abandoned)), CancelledError);
    EXPECT_FALSE(task.isFinished());
    gate.resume();
    EXPECT_EQ(test::waitBounded(task.result()), 8);
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
