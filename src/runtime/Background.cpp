#include "Background.h"

#include <QCoreApplication>

#include <algorithm>

namespace tavlen {

namespace {

// One thread is left to the main thread; more than four large jobs at once only add memory.
constexpr int mostBackgroundThreads = 4;

void waitForBackgroundJobs()
{
    backgroundPool().waitForDone();
}

} // namespace

QThreadPool& backgroundPool()
{
    static QThreadPool pool;
    static const bool configured = [] {
        pool.setObjectName(QStringLiteral("tavlen background"));
        pool.setMaxThreadCount(std::clamp(QThread::idealThreadCount() - 1, 1, mostBackgroundThreads));
        // As for Qt's global pool: no job outlives the application object it resumes its waiter through.
        qAddPostRoutine(waitForBackgroundJobs);
        return true;
    }();
    (void)configured;
    return pool;
}

} // namespace tavlen
