#include "SerialQueue.h"

#include <pthread.h>

#include <cassert>
#include <utility>

namespace tavlen {
namespace {

// Linux limits thread names to 15 bytes plus the terminator.
constexpr std::size_t kThreadNameLength = 15;

} // namespace

SerialQueue::SerialQueue(std::string name)
    : m_name(std::move(name))
    , m_thread([this] { run(); })
{
    pthread_setname_np(m_thread.native_handle(), m_name.substr(0, kThreadNameLength).c_str());
}

SerialQueue::~SerialQueue()
{
    assert(!isCurrent());
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

bool SerialQueue::isCurrent() const
{
    return std::this_thread::get_id() == m_thread.get_id();
}

void SerialQueue::post(std::function<void()> job)
{
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
}

void SerialQueue::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
        if (m_jobs.empty()) {
            return; // stopping and drained
        }
        std::function<void()> job = std::move(m_jobs.front());
        m_jobs.pop_front();
        lock.unlock();
        job();
        job = nullptr; // release captures before taking the lock again
        lock.lock();
    }
}

} // namespace tavlen
