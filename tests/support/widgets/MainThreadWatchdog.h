#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <vector>

namespace tavlen::test {

// Watches the main thread's event loop while it lives: a precise timer beats every few milliseconds, and a gap
// between two beats longer than the limit is a stall, recorded with the phase the test was in. Blocking work
// anywhere on the main thread (a nested loop turns, so waiting in one is not a stall) shows up here.
class MainThreadWatchdog final : public QObject
{
public:
    struct Stall
    {
        QString phase;
        std::chrono::milliseconds length;
    };

    explicit MainThreadWatchdog(std::chrono::milliseconds limit);

    // Names what the test does from now on, for the stalls it causes.
    void setPhase(QString phase) { m_phase = std::move(phase); }

    const std::vector<Stall>& stalls() const { return m_stalls; }

    std::chrono::milliseconds longestGap() const { return m_longest; }

    // One line per stall, for a failure message.
    QString report() const;

private:
    using Clock = std::chrono::steady_clock;

    void beat();

    std::chrono::milliseconds m_limit;
    QTimer m_timer;
    Clock::time_point m_last = Clock::now();
    QString m_phase;
    std::vector<Stall> m_stalls;
    std::chrono::milliseconds m_longest{0};
};

} // namespace tavlen::test
