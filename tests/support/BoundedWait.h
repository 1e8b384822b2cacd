#pragma once

#include <QCoreApplication>
#include <QCoroTask>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <chrono>
#include <exception>
#include <memory>
#include <optional>
#include <stdexcept>
#include <type_traits>
#include <variant>

namespace tavlen::test {

// Thrown when an awaited task did not finish in time: a lost wake-up fails the test instead of hanging it.
struct TimedOut : std::runtime_error
{
    TimedOut()
        : std::runtime_error("the task did not finish in time")
    {}
};

namespace detail {

template <class T> struct BoundedRun
{
    bool finished = false;
    std::optional<std::conditional_t<std::is_void_v<T>, std::monostate, T>> value;
    std::exception_ptr error;
    QPointer<QEventLoop> loop;
};

// Holds everything it touches through the shared run, so a task that finishes after the deadline is harmless.
template <class T> QCoro::Task<void> drive(QCoro::Task<T> task, std::shared_ptr<BoundedRun<T>> run)
{
    try {
        if constexpr (std::is_void_v<T>) {
            co_await task;
            run->value.emplace();
        } else {
            run->value.emplace(co_await task);
        }
    } catch (...) {
        run->error = std::current_exception();
    }
    run->finished = true;
    if (run->loop) {
        run->loop->quit();
    }
}

} // namespace detail

// Runs the main thread's event loop until task finishes, then returns its value or rethrows its error.
// Throws TimedOut after limit. Tests only: this spins a nested event loop.
template <class T> T waitBounded(QCoro::Task<T> task, std::chrono::milliseconds limit = std::chrono::seconds(20))
{
    auto run = std::make_shared<detail::BoundedRun<T>>();
    QEventLoop loop;
    run->loop = &loop;
    detail::drive(std::move(task), run);
    if (!run->finished) {
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, &loop, &QEventLoop::quit);
        watchdog.start(limit);
        loop.exec();
    }
    run->loop = nullptr;
    if (!run->finished) {
        throw TimedOut();
    }
    if (run->error) {
        std::rethrow_exception(run->error);
    }
    if constexpr (!std::is_void_v<T>) {
        return std::move(*run->value);
    }
}

// Runs the main thread's event loop until condition() holds, checking it every few milliseconds. False when it
// still does not hold after limit. Tests only: this spins a nested event loop.
template <class Condition>
bool waitUntil(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(20))
{
    if (condition()) {
        return true;
    }
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (condition()) {
            loop.quit();
        }
    });
    poll.start(std::chrono::milliseconds(5));
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, &loop, &QEventLoop::quit);
    watchdog.start(limit);
    loop.exec();
    return condition();
}

// Destroys what deleteLater left behind in nested loops; call from a fixture's TearDown.
inline void flushDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace tavlen::test
