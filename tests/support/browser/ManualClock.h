#pragma once

#include "Clock.h"

#include <atomic>
#include <chrono>

namespace tavlen::test {

// A continuous clock that moves only when the test says so: ages of connections and deadlines of commands then
// pass exactly when a test wants them to.
class ManualClock final : public ContinuousClock
{
public:
    std::chrono::nanoseconds now() const override { return m_now.load(); }

    void advance(std::chrono::nanoseconds by) { m_now.store(m_now.load() + by); }

private:
    std::atomic<std::chrono::nanoseconds> m_now{std::chrono::hours(1)};
};

} // namespace tavlen::test
