#include "LinkedStopSource.h"

#include "BoundedWait.h"
#include "Completion.h"
#include "EventLoopTest.h"
#include "VirtualTime.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stop_token>
#include <thread>

namespace tavlen {
namespace {

using namespace std::chrono_literals;

class LinkedStopSourceTest : public test::EventLoopTest
{};

TEST_F(LinkedStopSourceTest, childStops_withItsParentOrAtItsDeadline_andOnlyTheDeadlineCountsAsATimeout)
{
    enum class Cause
    {
        parentOnThisThread,
        parentOnAnotherThread,
        deadline,
        own,
        parentAfterTheDeadline
    };

    struct Row
    {
        const char* name;
        Cause cause;
        bool expectedTimedOut;
    };

    const Row rows[] = {
        {"the parent's stop reaches the child", Cause::parentOnThisThread, false},
        {"a parent stopped from another thread stops the child", Cause::parentOnAnotherThread, false},
        {"the deadline stops the child", Cause::deadline, true},
        {"the child's own stop", Cause::own, false},
        {"a parent stopping after the deadline leaves it a timeout", Cause::parentAfterTheDeadline, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::VirtualTime time;
        std::stop_source parent;
        LinkedStopSource child(parent.get_token(), 35s, time);
        time.advance(35s - 1ns);
        EXPECT_FALSE(child.token().stop_requested());
        switch (row.cause) {
        case Cause::parentOnThisThread:
            parent.request_stop();
            break;
        case Cause::parentOnAnotherThread:
            std::thread([&parent] { parent.request_stop(); }).join();
            break;
        case Cause::deadline:
            time.advance(1ns);
            break;
        case Cause::own:
            child.requestStop();
            break;
        case Cause::parentAfterTheDeadline:
            time.advance(1ns);
            parent.request_stop();
            break;
        }
        EXPECT_TRUE(child.token().stop_requested());
        EXPECT_EQ(child.hasTimedOut(), row.expectedTimedOut);
    }
}

TEST_F(LinkedStopSourceTest, childStop_neverReachesTheParent_andADestroyedChildIsDisarmed)
{
    test::VirtualTime time;
    std::stop_source parent;
    {
        LinkedStopSource child(parent.get_token(), 1s, time);
        child.requestStop();
        EXPECT_EQ(time.armedTimers(), 1u);
    }
    EXPECT_EQ(time.armedTimers(), 0u);
    time.advance(1h);
    EXPECT_FALSE(parent.stop_requested());
    parent.request_stop(); // nothing linked is left to call back
}

TEST_F(LinkedStopSourceTest, parentAlreadyStopped_childStartsStopped)
{
    std::stop_source parent;
    parent.request_stop();
    const LinkedStopSource child(parent.get_token());
    EXPECT_TRUE(child.token().stop_requested());
    EXPECT_FALSE(child.hasTimedOut());
}

TEST_F(LinkedStopSourceTest, systemDeadline_stopsTheChildNoEarlierThanItsTime)
{
    const auto start = std::chrono::steady_clock::now();
    LinkedStopSource child({}, 100ms);
    Completion<void> stopped;
    std::stop_callback onStop(child.token(), [stopped] { stopped.resume(); });
    auto wait = [&]() -> QCoro::Task<void> { co_await stopped.wait(); };
    test::waitBounded(wait());
    EXPECT_GE(std::chrono::steady_clock::now() - start, 100ms);
    EXPECT_TRUE(child.hasTimedOut());
}

} // namespace
} // namespace tavlen
