#include "TimedStepsBrowser.h"

namespace tavlen::test {

namespace {

// Adds the time from its construction to its destruction to a total, however the operation ends.
class Stopwatch
{
public:
    explicit Stopwatch(TimedStepsBrowser::Duration& total)
        : m_total(total)
    {}

    ~Stopwatch() { m_total += std::chrono::steady_clock::now() - m_started; }

    Stopwatch(const Stopwatch&) = delete;
    Stopwatch& operator=(const Stopwatch&) = delete;

private:
    TimedStepsBrowser::Duration& m_total;
    std::chrono::steady_clock::time_point m_started = std::chrono::steady_clock::now();
};

} // namespace

QCoro::Task<void> TimedStepsBrowser::startSession(std::string executionID,
                                                  std::string url,
                                                  std::optional<BrowserCaptureSettings> viewport,
                                                  std::stop_token stop)
{
    const Stopwatch watch(m_times.start);
    auto starting = m_browser.startSession(std::move(executionID), std::move(url), viewport, std::move(stop));
    co_await std::move(starting);
}

QCoro::Task<BrowserSnapshot> TimedStepsBrowser::captureSnapshot(int retries, std::stop_token stop)
{
    const Stopwatch watch(m_times.capture);
    auto capturing = m_browser.captureSnapshot(retries, std::move(stop));
    co_return co_await std::move(capturing);
}

QCoro::Task<bool> TimedStepsBrowser::finishSession(std::string executionID, std::string connectionID)
{
    const Stopwatch watch(m_times.finish);
    auto finishing = m_browser.finishSession(std::move(executionID), std::move(connectionID));
    co_return co_await std::move(finishing);
}

} // namespace tavlen::test
