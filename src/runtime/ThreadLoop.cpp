#include "ThreadLoop.h"

#include <QAbstractEventDispatcher>
#include <QObject>

#include <mutex>

namespace tavlen {

// One per thread and dispatcher. The receiver is a child of the dispatcher, so it lives exactly as long as the
// thread's loop; its destruction clears the pointer under the mutex, and posts hold that mutex, so no post ever
// reaches a receiver that is being or has been destroyed.
struct ThreadLoop::Target
{
    std::mutex mutex;
    QObject* receiver = nullptr;
    const QAbstractEventDispatcher* dispatcher = nullptr; // compared only, never dereferenced

    bool isAlive()
    {
        const std::lock_guard lock(mutex);
        return receiver != nullptr;
    }
};

ThreadLoop ThreadLoop::current()
{
    thread_local std::shared_ptr<Target> cached;
    QAbstractEventDispatcher* const dispatcher = QAbstractEventDispatcher::instance();
    ThreadLoop loop;
    if (dispatcher == nullptr) {
        return loop;
    }
    if (!cached || cached->dispatcher != dispatcher || !cached->isAlive()) {
        auto target = std::make_shared<Target>();
        target->dispatcher = dispatcher;
        target->receiver = new QObject(dispatcher);
        // Without a context object the slot runs directly, inside the receiver's destructor.
        QObject::connect(target->receiver, &QObject::destroyed, [weak = std::weak_ptr<Target>(target)] {
            if (const std::shared_ptr<Target> gone = weak.lock()) {
                const std::lock_guard lock(gone->mutex);
                gone->receiver = nullptr;
            }
        });
        cached = std::move(target);
    }
    loop.m_target = cached;
    return loop;
}

void ThreadLoop::post(std::function<void()> fn) const
{
    if (m_target == nullptr) {
        fn();
        return;
    }
    const std::lock_guard lock(m_target->mutex);
    if (m_target->receiver != nullptr) {
        QMetaObject::invokeMethod(m_target->receiver, std::move(fn), Qt::QueuedConnection);
    }
}

void ThreadLoop::resume(std::coroutine_handle<> handle) const
{
    post([handle] { handle.resume(); });
}

} // namespace tavlen
