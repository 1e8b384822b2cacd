#pragma once

#include "ThreadLoop.h"
#include "TimeSource.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>

namespace tavlen::test {

// Virtual clocks and timers for tests: time stands still until the test moves it. The date is the test's own, set
// with setDate and left alone by advance and suspend, so what is stored and shown does not depend on the waits run.
// Timers fire in deadline order as time passes them, and whatever a timer wakes on this thread runs before time moves
// on, so a loop that sleeps one second between ticks ticks exactly five times in advance(5s). Use it on the test's main
// thread only.
//
//     VirtualTime time;
//     QCoro::Task<void> sleeping = sleepFor(100ms, {}, time);
//     time.advance(99ms);   // still asleep
//     time.advance(1ms);    // done
class VirtualTime final : public TimeSource
{
public:
    VirtualTime()
        : m_state(std::make_shared<State>())
    {}

    Date date() const override { return m_state->date; }

    void setDate(Date date) { m_state->date = date; }

    std::chrono::nanoseconds now(Clock clock) const override
    {
        return clock == Clock::bootTime ? m_state->bootTime : m_state->monotonic;
    }

    std::unique_ptr<Timer>
    startTimer(Clock clock, std::chrono::nanoseconds deadline, std::function<void()> fire) const override
    {
        const std::uint64_t id = m_state->nextId++;
        m_state->timers.emplace(id, Entry{clock, deadline, std::move(fire)});
        if (deadline <= now(clock)) {
            // Already due: fires through the loop, as a system timer would, not inside this call.
            ThreadLoop::current().post([weak = std::weak_ptr<State>(m_state)] {
                if (const std::shared_ptr<State> state = weak.lock()) {
                    fireDue(*state);
                }
            });
        }
        return std::make_unique<VirtualTimer>(m_state, id);
    }

    // Moves both clocks forward by `by`, firing every timer due on the way in deadline order (ties in the order
    // they were armed) and running what each one woke before moving on.
    void advance(std::chrono::nanoseconds by)
    {
        State& state = *m_state;
        const std::chrono::nanoseconds end = state.monotonic + by;
        runPosted();
        while (const std::optional<std::uint64_t> id = nextDue(state, end - state.monotonic)) {
            const std::chrono::nanoseconds step =
                std::max(untilDue(state, state.timers.at(*id)), std::chrono::nanoseconds::zero());
            state.monotonic += step;
            state.bootTime += step;
            fireTimer(state, *id);
        }
        state.bootTime += end - state.monotonic;
        state.monotonic = end;
        runPosted();
    }

    // The system sleeps for `by`: only the boot-time clock moves. Boot-time timers that fall due fire as it wakes.
    void suspend(std::chrono::nanoseconds by)
    {
        m_state->bootTime += by;
        fireDue(*m_state);
    }

    // How many timers are armed: a test can tell that a loop is waiting.
    std::size_t armedTimers() const { return m_state->timers.size(); }

private:
    struct Entry
    {
        Clock clock;
        std::chrono::nanoseconds deadline;
        std::function<void()> fire;
    };

    struct State
    {
        // An arbitrary origin that is not zero, as on a real machine.
        std::chrono::nanoseconds monotonic = std::chrono::hours(100);
        std::chrono::nanoseconds bootTime = std::chrono::hours(120);
        Date date = Date::fromMilliseconds(1'700'000'000'000);
        std::uint64_t nextId = 0;
        std::map<std::uint64_t, Entry> timers; // by arming order
    };

    class VirtualTimer final : public Timer
    {
    public:
        VirtualTimer(std::weak_ptr<State> state, std::uint64_t id)
            : m_state(std::move(state))
            , m_id(id)
        {}

        ~VirtualTimer() override
        {
            if (const std::shared_ptr<State> state = m_state.lock()) {
                state->timers.erase(m_id);
            }
        }

    private:
        std::weak_ptr<State> m_state;
        std::uint64_t m_id;
    };

    static std::chrono::nanoseconds untilDue(const State& state, const Entry& entry)
    {
        return entry.deadline - (entry.clock == Clock::bootTime ? state.bootTime : state.monotonic);
    }

    // The timer that falls due first within `within` from now, if any.
    static std::optional<std::uint64_t> nextDue(const State& state, std::chrono::nanoseconds within)
    {
        std::optional<std::uint64_t> first;
        std::chrono::nanoseconds firstDue{};
        for (const auto& [id, entry] : state.timers) {
            const std::chrono::nanoseconds due = untilDue(state, entry);
            if (due <= within && (!first || due < firstDue)) {
                first = id;
                firstDue = due;
            }
        }
        return first;
    }

    static void fireTimer(State& state, std::uint64_t id)
    {
        const std::function<void()> fn = std::move(state.timers.at(id).fire);
        state.timers.erase(id);
        fn();
        runPosted();
    }

    static void fireDue(State& state)
    {
        while (const std::optional<std::uint64_t> id = nextDue(state, {})) {
            fireTimer(state, *id);
        }
        runPosted();
    }

    // Runs what was posted to this thread, and what that posted in turn.
    static void runPosted()
    {
        const ThreadLoop loop = ThreadLoop::current();
        for (int round = 0; round < 10'000; ++round) {
            QCoreApplication::sendPostedEvents();
            if (!loop.hasPendingPosts()) {
                break;
            }
        }
    }

    std::shared_ptr<State> m_state;
};

} // namespace tavlen::test
