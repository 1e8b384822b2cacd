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

TEST_F(CompletionTest, secondWait_isRefusedLoudly_neverGivenAMovedFromValue)
{
    struct Row
    {
        const char* name;
        bool completedBeforeTheFirstWait;
    };

    const Row rows[] = {
        {"completed before both waits", true},
        {"completed while the first waited", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Completion<std::string> done;
        if (row.completedBeforeTheFirstWait) {
            done.resume("the page text");
        }
        auto waiter = [&]() -> QCoro::Task<std::string> { co_return co_await done.wait(); };
        QCoro::Task<std::string> first = waiter();
        done.resume("the page text");
        EXPECT_EQ(test::waitBounded(std::move(first)), "the page text");
        EXPECT_THROW(test::waitBounded(waiter()), std::logic_error);
    }
}

TEST_F(CompletionTest, waitersStop_endsTheWaitWithCancelledError_andALaterValueReachesNobody)
{
    enum class Stop
    {
        beforeTheWait,
        whileWaiting,
        fromAnotherThread,
        togetherWithTheValue
    };

    struct Row
    {
        const char* name;
        Stop stop;
    };

    const Row rows[] = {
        {"a stop before the wait", Stop::beforeTheWait},
        {"a stop while waiting", Stop::whileWaiting},
        {"a stop from another thread", Stop::fromAnotherThread},
        {"a stop in the same turn as the value", Stop::togetherWithTheValue},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Completion<int> response;
        std::stop_source source;
        if (row.stop == Stop::beforeTheWait) {
            source.request_stop();
        }
        auto waiter = [&]() -> QCoro::Task<int> { co_return co_await response.wait(source.get_token()); };
        QCoro::Task<int> waiting = waiter();
        if (row.stop == Stop::whileWaiting) {
            source.request_stop();
        } else if (row.stop == Stop::fromAnotherThread) {
            std::thread([&source] { source.request_stop(); }).join();
        } else if (row.stop == Stop::togetherWithTheValue) {
            response.resume(1);
            source.request_stop();
        }
        EXPECT_THROW(test::waitBounded(std::move(waiting)), CancelledError);
        response.resume(2);
    }
}

TEST_F(CompletionTest, waitOnAThreadWithoutEventLoop_isRefused_unlessAlreadyCompleted)
{
    Completion<int> pending;
    Completion<int> completed;
    completed.resume(4);
    std::string pendingError;
    int completedValue = 0;
    std::thread([&] {
        auto waitPending = [&]() -> QCoro::Task<void> {
            try {
                co_await pending.wait();
            } catch (const std::logic_error& error) {
                pendingError = error.what();
            }
        };
        auto waitCompleted = [&]() -> QCoro::Task<void> { completedValue = co_await completed.wait(); };
        QCoro::Task<void> first = waitPending();
        QCoro::Task<void> second = waitCompleted();
    }).join();
    EXPECT_EQ(pendingError, "a wait needs a thread with a running Qt event loop");
    EXPECT_EQ(completedValue, 4);
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
