#include "Clock.h"

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

// Clocks a test moves by hand.
class ManualContinuousClock final : public ContinuousClock
{
public:
    std::chrono::nanoseconds now() const override { return m_now; }

    void advance(std::chrono::nanoseconds by) { m_now += by; }

private:
    std::chrono::nanoseconds m_now = 5s;
};

class ManualWallClock final : public WallClock
{
public:
    Date now() const override { return m_now; }

private:
    Date m_now = Date::fromSecondsSince1970(1'700'000'000);
};

TEST(ClockTest, bootTimeClock_neverBehindTheMonotonicClockAndNeverGoesBack)
{
    const BootTimeClock clock;
    const std::chrono::nanoseconds monotonicBefore = monotonicNow();
    const std::chrono::nanoseconds first = clock.now();
    const std::chrono::nanoseconds second = clock.now();
    // Both count from boot; only the boot-time clock adds the time spent suspended.
    EXPECT_GE(first, monotonicBefore);
    EXPECT_GE(second, first);
}

TEST(ClockTest, systemWallClock_readsTheSystemTime)
{
    const SystemWallClock clock;
    const auto before = std::chrono::system_clock::now();
    const Date now = clock.now();
    const auto after = std::chrono::system_clock::now();
    EXPECT_GE(now.secondsSince1970(), std::chrono::duration<double>(before.time_since_epoch()).count() - 0.001);
    EXPECT_LE(now.secondsSince1970(), std::chrono::duration<double>(after.time_since_epoch()).count() + 0.001);
}

TEST(ClockTest, deadlineOnInjectedContinuousClock_passesAcrossSuspend_whileUnmovedWallClockSaysOtherwise)
{
    ManualContinuousClock continuous;
    const ManualWallClock wall; // not yet corrected after wake
    const std::chrono::nanoseconds deadline = continuous.now() + 30min;
    const Date wallDeadline = wall.now().addingSeconds(30 * 60);
    const ContinuousClock& injected = continuous;
    EXPECT_LT(injected.now(), deadline);

    continuous.advance(2h); // the machine slept for two hours

    EXPECT_GE(injected.now(), deadline);
    EXPECT_LT(wall.now(), wallDeadline);
}

} // namespace
} // namespace tavlen
