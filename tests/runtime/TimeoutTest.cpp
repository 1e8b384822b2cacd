#include "Timeout.h"

#include "BoundedWait.h"
#include "CancelledError.h"
#include "Completion.h"
#include "EventLoopTest.h"
#include "Sleep.h"
#include "TimedOutError.h"
#include "VirtualTime.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <stop_token>
#include <string>

namespace tavlen {
namespace {

using namespace std::chrono_literals;

class TimeoutTest : public test::EventLoopTest
{};

// What a caller of withTimeout saw.
struct Seen
{
    std::string value;
    std::string error;
};

QCoro::Task<Seen> watch(QCoro::Task<std::string> task)
{
    Seen seen;
    try {
        seen.value = co_await std::move(task);
    } catch (const TimedOutError&) {
        seen.error = "timed out";
    } catch (const CancelledError&) {
        seen.error = "cancelled";
    } catch (const std::exception& error) {
        seen.error = error.what();
    }
    co_return seen;
}

TEST_F(TimeoutTest, commandWithA35SecondDeadline_endsByTheFirstOfAnswerDeadlineAndStop)
{
    enum class Event
    {
        answer,
        failure,
        deadline,
        callerStop
    };

    struct Row
    {
        const char* name;
        Event event;
        std::string expectedValue;
        std::string expectedError;
        bool expectedBodyStopped;
    };

    const Row rows[] = {
        {"an answer before the deadline is the result", Event::answer, "answer", "", false},
        {"a failure before the deadline passes through", Event::failure, "", "no such tab", false},
        {"the deadline stops the body and times out", Event::deadline, "", "timed out", true},
        {"the caller's stop stops the body and cancels", Event::callerStop, "", "cancelled", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::VirtualTime time;
        std::stop_source caller;
        Completion<std::string> response;
        bool bodyStopped = false;
        auto body = [&](std::stop_token command) -> QCoro::Task<std::string> {
            try {
                co_return co_await response.wait(command);
            } catch (const CancelledError&) {
                bodyStopped = true;
                throw;
            }
        };
        QCoro::Task<Seen> seen = watch(withTimeout(35s, caller.get_token(), body, time));
        time.advance(35s - 1ns);
        EXPECT_FALSE(seen.isReady());
        switch (row.event) {
        case Event::answer:
            response.resume("answer");
            break;
        case Event::failure:
            response.fail(std::make_exception_ptr(std::runtime_error("no such tab")));
            break;
        case Event::deadline:
            time.advance(1ns);
            break;
        case Event::callerStop:
            caller.request_stop();
            break;
        }
        const Seen result = test::waitBounded(std::move(seen));
        EXPECT_EQ(result.value, row.expectedValue);
        EXPECT_EQ(result.error, row.expectedError);
        EXPECT_EQ(bodyStopped, row.expectedBodyStopped);
        EXPECT_EQ(time.armedTimers(), 0u);
    }
}

TEST_F(TimeoutTest, bodyThatMapsTheStopToItsOwnError_stillReportsTheTimeout)
{
    test::VirtualTime time;
    auto body = [&](std::stop_token limit) -> QCoro::Task<void> {
        try {
            co_await sleepFor(1h, limit, time);
        } catch (const CancelledError&) {
            throw std::runtime_error("interrupted");
        }
    };
    QCoro::Task<void> limited = withTimeout(50ms, {}, body, time);
    time.advance(50ms);
    EXPECT_THROW(test::waitBounded(std::move(limited)), TimedOutError);
}

TEST_F(TimeoutTest, bodyThatFinishesDespiteTheDeadline_keepsItsResult)
{
    test::VirtualTime time;
    auto body = [&](std::stop_token) -> QCoro::Task<int> {
        co_await sleepFor(2s, {}, time); // ignores its token, so withTimeout waits for it
        co_return 7;
    };
    QCoro::Task<int> limited = withTimeout(1s, {}, body, time);
    time.advance(1s);
    EXPECT_FALSE(limited.isReady());
    time.advance(1s);
    EXPECT_EQ(test::waitBounded(std::move(limited)), 7);
}

TEST_F(TimeoutTest, systemClock_timesOutNoEarlierThanItsLimit)
{
    const auto start = std::chrono::steady_clock::now();
    auto body = [](std::stop_token limit) { return sleepFor(1h, limit); };
    EXPECT_THROW(test::waitBounded(withTimeout(100ms, {}, body)), TimedOutError);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 100ms);
}

} // namespace
} // namespace tavlen
