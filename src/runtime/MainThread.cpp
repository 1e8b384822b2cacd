#include "MainThread.h"

#include <QCoreApplication>
#include <QThread>

namespace tavlen {

bool isMainThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

void postToMain(std::function<void()> fn)
{
    QCoreApplication* app = QCoreApplication::instance();
    Q_ASSERT_X(app != nullptr, Q_FUNC_INFO, "no application object to post to");
    if (app == nullptr) {
        return;
    }
    QMetaObject::invokeMethod(app, std::move(fn), Qt::QueuedConnection);
}

} // namespace tavlen
