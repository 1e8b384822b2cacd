#pragma once

#include "TimeSource.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <stop_token>

namespace tavlen {

// A stop source for work started by work: its token stops when the parent token stops, when its own deadline
// passes, or on requestStop(), whichever comes first; hasTimedOut() tells whether the deadline did it. The
// deadline runs on the monotonic clock of time, on the calling thread's event loop. Create, use and destroy it on
// one thread; its token may be handed anywhere.
//
//     LinkedStopSource command(stop, 35s, m_time);    // ends with the session or after 35 seconds
//     co_await channel.send(request, command.token());
//     const Response response = co_await pending.wait(command.token());
class LinkedStopSource
{
public:
    // Without a deadline: stops with the parent only (or on requestStop).
    explicit LinkedStopSource(std::stop_token parent);
    // Throws std::logic_error on a thread without a Qt event loop.
    LinkedStopSource(std::stop_token parent, std::chrono::milliseconds timeout, const TimeSource& time = systemTime());
    ~LinkedStopSource();
    LinkedStopSource(const LinkedStopSource&) = delete;
    LinkedStopSource& operator=(const LinkedStopSource&) = delete;

    std::stop_token token() const { return m_source.get_token(); }

    // True once the deadline passed before the parent stopped or requestStop() was called.
    bool hasTimedOut() const { return m_cause.load() == Cause::deadline; }

    void requestStop() { stop(Cause::own); }

private:
    enum class Cause
    {
        none,
        parent,
        deadline,
        own
    };

    struct StopFromParent
    {
        LinkedStopSource* self;

        void operator()() const noexcept { self->stop(Cause::parent); }
    };

    // The first cause wins and is recorded before the token's callbacks run.
    void stop(Cause cause) noexcept;

    std::stop_source m_source;
    std::atomic<Cause> m_cause{Cause::none};
    std::optional<std::stop_callback<StopFromParent>> m_parentLink; // ends before the source it stops
    std::unique_ptr<TimeSource::Timer> m_deadline;                  // ends first, on the creating thread
};

} // namespace tavlen
