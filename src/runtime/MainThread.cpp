#include "MainThread.h"

#include "HandOffInbox.h"

#include <QCoreApplication>
#include <QThread>

#include <memory>

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

namespace detail {

void runOnMainAndWait(std::function<void()> job)
{
    auto handOff = std::make_shared<MainHandOff>(std::move(job));
    // Whichever copy of the queued job goes last tells the waiter if the job never ran.
    std::shared_ptr<void> dropWhenGone(nullptr, [handOff](void*) { handOff->drop(); });
    postToMain([handOff, dropWhenGone = std::move(dropWhenGone)] { handOff->runIfUnclaimed(); });
    HandOffInbox* const inbox = HandOffInbox::current();
    if (inbox != nullptr) {
        inbox->offer(handOff);
    }
    const bool ran = handOff->wait();
    if (inbox != nullptr) {
        inbox->withdraw(handOff);
    }
    if (!ran) {
        throw CancelledError();
    }
}

} // namespace detail

} // namespace tavlen
