#include "ThreadLoop.h"

#include <QAbstractEventDispatcher>
#include <QObject>

#include <mutex>
#include <unordered_map>
#include <utility>

namespace tavlen {

// One per thread and dispatcher. The receiver is a child of the dispatcher, so it lives exactly as long as the
// thread's loop; its destruction clears the pointer under the mutex, and posts hold that mutex, so no post ever
// reaches a receiver that is being or has been destroyed.
struct ThreadLoop::Target
{
    std::mutex mutex;
    QObject* receiver = nullptr;
    const QAbstractEventDispatcher* dispatcher = nullptr; // compared only, never dereferenced
    std::unordered_map<const void*, std::function<void()>> atEnd;
    std::size_t pendingPosts = 0;

    bool isAlive()
    {
        const std::lock_guard lock(mutex);
        return receiver != nullptr;
    }

    // On the loop's own thread, as its dispatcher is destroyed: nothing is queued from now on, and whatever
    // asked to hear of the end runs here, on the right thread, while it still can.
    void end()
    {
        std::unordered_map<const void*, std::function<void()>> ending;
        {
            const std::lock_guard lock(mutex);
            receiver = nullptr;
            ending.swap(atEnd);
        }
        for (auto& [key, fn] : ending) {
            fn();
        }
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
                gone->end();
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
        ++m_target->pendingPosts;
        auto deliver = [target = m_target, fn = std::move(fn)] {
            {
                const std::lock_guard delivered(target->mutex);
                --target->pendingPosts;
            }
            fn();
        };
        QMetaObject::invokeMethod(m_target->receiver, std::move(deliver), Qt::QueuedConnection);
    }
}

bool ThreadLoop::callAtEnd(const void* key, std::function<void()> fn) const
{
    if (m_target == nullptr) {
        return false;
    }
    const std::lock_guard lock(m_target->mutex);
    if (m_target->receiver == nullptr) {
        return false;
    }
    m_target->atEnd.insert_or_assign(key, std::move(fn));
    return true;
}

void ThreadLoop::withdrawAtEnd(const void* key) const
{
    if (m_target == nullptr) {
        return;
    }
    std::function<void()> withdrawn; // destroyed outside the lock
    const std::lock_guard lock(m_target->mutex);
    if (const auto found = m_target->atEnd.find(key); found != m_target->atEnd.end()) {
        withdrawn = std::move(found->second);
        m_target->atEnd.erase(found);
    }
}

bool ThreadLoop::hasPendingPosts() const
{
    if (m_target == nullptr) {
        return false;
    }
    const std::lock_guard lock(m_target->mutex);
    return m_target->receiver != nullptr && m_target->pendingPosts > 0;
}

} // namespace tavlen
