#include "ThreadLoop.h"

#include <QAbstractEventDispatcher>

namespace tavlen {

ThreadLoop ThreadLoop::current()
{
    ThreadLoop loop;
    // The dispatcher lives on its thread for as long as that thread runs a loop, so events posted to it are
    // handled there; a long-lived receiver also means nothing is deleted while one of its events runs.
    loop.m_dispatcher = QAbstractEventDispatcher::instance();
    return loop;
}

void ThreadLoop::post(std::function<void()> fn) const
{
    if (m_dispatcher == nullptr) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(m_dispatcher, std::move(fn), Qt::QueuedConnection);
}

void ThreadLoop::resume(std::coroutine_handle<> handle) const
{
    post([handle] { handle.resume(); });
}

} // namespace tavlen
