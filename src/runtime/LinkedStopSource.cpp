#include "LinkedStopSource.h"

namespace tavlen {

LinkedStopSource::LinkedStopSource(std::stop_token parent)
{
    m_parentLink.emplace(std::move(parent), StopFromParent{this});
}

LinkedStopSource::LinkedStopSource(std::stop_token parent, std::chrono::milliseconds timeout, const TimeSource& time)
    : LinkedStopSource(std::move(parent))
{
    const std::chrono::nanoseconds deadline = deadlineAfter(time.now(TimeSource::Clock::monotonic), timeout);
    m_deadline = time.startTimer(TimeSource::Clock::monotonic, deadline, [this] { stop(Cause::deadline); });
}

LinkedStopSource::~LinkedStopSource() = default;

void LinkedStopSource::stop(Cause cause) noexcept
{
    Cause expected = Cause::none;
    if (m_cause.compare_exchange_strong(expected, cause)) {
        m_source.request_stop();
    }
}

} // namespace tavlen
