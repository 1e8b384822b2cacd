#include "Completion.h"
#include "Sleep.h"
#include "TaskHandle.h"
#include "Timeout.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <benchmark/benchmark.h>

#include <chrono>
#include <stop_token>

namespace tavlen {
namespace {

using namespace std::chrono_literals;

// Runs the main loop until task has finished.
template <class T> void finish(const QCoro::Task<T>& task)
{
    while (!task.isReady()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

QCoro::Task<int> waitFor(Completion<int> done)
{
    co_return co_await done.wait();
}

// One wait and its wake-up through the loop: what every runtime wait costs on top of what it waits for.
void completionWokenOnItsOwnThread(benchmark::State& state)
{
    for (auto _ : state) {
        Completion<int> done;
        QCoro::Task<int> waiting = waitFor(done);
        done.resume(1);
        finish(waiting);
    }
}

BENCHMARK(completionWokenOnItsOwnThread);

// A sleep that is due at once: arming, firing and closing one timer (timerfd) plus the wake-up.
void zeroSleep(benchmark::State& state)
{
    for (auto _ : state) {
        QCoro::Task<void> sleeping = sleepFor(0ms, {});
        finish(sleeping);
    }
}

BENCHMARK(zeroSleep);

// A command with a 35-second deadline whose answer is already there: the price of a deadline.
void deadlineAroundAnImmediateAnswer(benchmark::State& state)
{
    auto body = [](std::stop_token) -> QCoro::Task<int> { co_return 1; };
    for (auto _ : state) {
        QCoro::Task<int> limited = withTimeout(35s, {}, body);
        finish(limited);
    }
}

BENCHMARK(deadlineAroundAnImmediateAnswer);

// A task with one waiter, as the timer and command tasks are used.
void taskHandleResult(benchmark::State& state)
{
    for (auto _ : state) {
        const TaskHandle<int> task([](std::stop_token) -> QCoro::Task<int> { co_return 2; });
        QCoro::Task<int> result = task.result();
        finish(result);
    }
}

BENCHMARK(taskHandleResult);

} // namespace
} // namespace tavlen
