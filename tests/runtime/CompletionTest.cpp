#include "Completion.h"

#include "BoundedWait.h"
#include "CancelledError.h"
#include "EventLoopTest.h"
#include "MainThread.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <thread>

namespace tavlen {
namespace {

class CompletionTest : public test::EventLoopTest
{};

TEST_F(CompletionTest, completedFromAnotherThread_resumesWaiterOnMainThread_andIgnoresLaterCompletions)
{
    Completion<std::string> done;
    bool resumedOnMain = false;
    auto waiter = [&]() -> QCoro::Task<std::string> {
        std::string value = co_await done.wait();
        resumedOnMain = isMainThread();
        co_return value;
    };
    QCoro::Task<std::string> waiting = waiter();
    EXPECT_FALSE(waiting.isReady());
    std::thread([done] {
        done.resume("first");
        done.resume("second");
        done.fail(std::make_exception_ptr(std::runtime_error("late failure")));
    }).join();
    EXPECT_EQ(test::waitBounded(std::move(waiting)), "first");
    EXPECT_TRUE(resumedOnMain);
}

TEST_F(CompletionTest, completedOnTheWaitersOwnThread_stillResumesThroughTheEventLoop)
{
    Completion<void> done;
    bool resumed = false;
    auto waiter = [&]() -> QCoro::Task<void> {
        co_await done.wait();
        resumed = true;
    };
    QCoro::Task<void> waiting = waiter();
    done.resume();
    EXPECT_FALSE(resumed); // not inside resume(): the completer's stack is never reentered
    test::waitBounded(std::move(waiting));
    EXPECT_TRUE(resumed);
}

TEST_F(CompletionTest, completedBeforeTheWait_returnsWithoutSuspending)
{
    Completion<int> done;
    done.resume(5);
    done.resume(6);
    auto waiter = [&]() -> QCoro::Task<int> { co_return co_await done.wait(); };
    QCoro::Task<int> waiting = waiter();
    EXPECT_TRUE(waiting.isReady());
    EXPECT_EQ(test::waitBounded(std::move(waiting)), 5);
}

TEST_F(CompletionTest, failedFromAnotherThread_rethrowsInWaiter_andIgnoresALaterValue)
{
    Completion<int> done;
    auto waiter = [&]() -> QCoro::Task<int> { co_return co_await done.wait(); };
    QCoro::Task<int> waiting = waiter();
    std::thread([done] {
        done.fail(std::make_exception_ptr(std::runtime_error("refused")));
        done.resume(1);
    }).join();
    try {
        test::waitBounded(std::move(waiting));
        ADD_FAILURE() << "expected the failure to be rethrown";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "refused");
    }
}

TEST_F(CompletionTest, everyCopyDroppedUncompleted_wakesWaiterWithCancelledError)
{
    std::optional<Completion<int>> done{std::in_place};
    auto waiter = [wait = done->wait()]() mutable -> QCoro::Task<int> { co_return co_await wait; };
    QCoro::Task<int> waiting = waiter();
    EXPECT_FALSE(waiting.isReady());
    done.reset();
    EXPECT_THROW(test::waitBounded(std::move(waiting)), CancelledError);
}

} // namespace
} // namespace tavlen
