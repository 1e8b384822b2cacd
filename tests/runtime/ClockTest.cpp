#include "TimeSource.h"
#include "VirtualTime.h"

#include <gtest/gtest.h>

#include <time.h>

#include <chrono>

namespace tavlen {
namespace {

using namespace std::chrono_literals;

std::chrono::nanoseconds monotonicNow()
{
    timespec time{};
    ::clock_gettime(CLOCK_MONOTONIC, &time);
    return std::chrono::seconds(time.tv_sec) + std::chrono::nanoseconds(time.tv_nsec);
}

TEST(ClockTest, bootTimeClock_neverBehindTheMonotonicClockAndNeverGoesBack)
{
    const TimeSource& time = systemTime();
    const std::chrono::nanoseconds monotonicBefore = monotonicNow();
    const std::chrono::nanoseconds first = time.now(TimeSource::Clock::bootTime);
    const std::chrono::nanoseconds second = time.now(TimeSource::Clock::bootTime);
    // Both count from boot; only the boot-time clock adds the time spent suspended.
    EXPECT_GE(first, monotonicBefore);
    EXPECT_GE(second, first);
}

TEST(ClockTest, systemDate_readsTheSystemTime)
{
    const auto before = std::chrono::system_clock::now();
    const Date now = systemTime().date();
    const auto after = std::chrono::system_clock::now();
    EXPECT_GE(now.secondsSince1970(), std::chrono::duration<double>(before.time_since_epoch()).count() - 0.001);
    EXPECT_LE(now.secondsSince1970(), std::chrono::duration<double>(after.time_since_epoch()).count() + 0.001);
}

TEST(ClockTest, deadlineOnInjectedBootTimeClock_passesAcrossSuspend_whileUnmovedDateSaysOtherwise)
{
    test::VirtualTime virtualTime;
    virtualTime.setDate(Date::fromSecondsSince1970(1'700'000'000)); // not yet corrected after wake
    const TimeSource& injected = virtualTime;
    const std::chrono::nanoseconds deadline = injected.now(TimeSource::Clock::bootTime) + 30min;
    const Date dateDeadline = injected.date().addingSeconds(30 * 60);
    EXPECT_LT(injected.now(TimeSource::Clock::bootTime), deadline);

    virtualTime.suspend(2h); // the machine slept for two hours

    EXPECT_GE(injected.now(TimeSource::Clock::bootTime), deadline);
    EXPECT_LT(injected.date(), dateDeadline);
}

} // namespace
} // namespace tavlen
