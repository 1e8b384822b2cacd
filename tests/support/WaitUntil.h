#pragma once

#include "BoundedWait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <functional>

namespace tavlen::test {

// Runs the main thread's event loop until condition holds (tested every few milliseconds, for state another
// thread changes, such as a loopback server's request count). Throws TimedOut after limit.
inline void waitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds limit = std::chrono::seconds(20))
{
    if (condition()) {
        return;
    }
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (condition()) {
            loop.quit();
        }
    });
    poll.start(std::chrono::milliseconds(2));
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, &loop, &QEventLoop::quit);
    watchdog.start(limit);
    loop.exec();
    if (!condition()) {
        throw TimedOut();
    }
}

} // namespace tavlen::test
