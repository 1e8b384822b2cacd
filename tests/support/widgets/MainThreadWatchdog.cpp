#include "MainThreadWatchdog.h"

namespace tavlen::test {

namespace {

constexpr std::chrono::milliseconds beatInterval{5};

} // namespace

MainThreadWatchdog::MainThreadWatchdog(std::chrono::milliseconds limit)
    : m_limit(limit)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(beatInterval);
    connect(&m_timer, &QTimer::timeout, this, &MainThreadWatchdog::beat);
    m_timer.start();
}

void MainThreadWatchdog::beat()
{
    const Clock::time_point now = Clock::now();
    // The gap beyond the timer's own interval is the time the loop did not turn.
    const auto gap = std::chrono::duration_cast<std::chrono::milliseconds>(now - m_last) - beatInterval;
    m_last = now;
    m_longest = std::max(m_longest, gap);
    if (gap > m_limit) {
        m_stalls.push_back({m_phase, gap});
    }
}

QString MainThreadWatchdog::report() const
{
    QString lines;
    for (const Stall& stall : m_stalls) {
        lines += QStringLiteral("%1 ms in %2\n").arg(stall.length.count()).arg(stall.phase);
    }
    return lines;
}

} // namespace tavlen::test
