#include "HandOffInbox.h"

#include <algorithm>
#include <utility>

namespace tavlen::detail {

namespace {

thread_local HandOffInbox* currentInbox = nullptr;

} // namespace

MainHandOff::MainHandOff(std::function<void()> job)
    : m_job(std::move(job))
{}

void MainHandOff::runIfUnclaimed()
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_state != State::queued) {
            return;
        }
        m_state = State::running;
    }
    m_job();
    {
        const std::lock_guard lock(m_mutex);
        m_state = State::done;
    }
    m_changed.notify_all();
}

void MainHandOff::drop()
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_state != State::queued) {
            return;
        }
        m_state = State::dropped;
    }
    m_changed.notify_all();
}

bool MainHandOff::wait()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_state == State::done || m_state == State::dropped; });
    return m_state == State::done;
}

HandOffInbox::JobScope::JobScope(HandOffInbox& inbox)
    : m_inbox(inbox)
    , m_outer(std::exchange(currentInbox, &inbox))
{}

HandOffInbox::JobScope::~JobScope()
{
    currentInbox = m_outer;
    m_inbox.jobEnded();
}

HandOffInbox* HandOffInbox::current()
{
    return currentInbox;
}

void HandOffInbox::jobQueued()
{
    const std::lock_guard lock(m_mutex);
    ++m_unfinishedJobs;
}

void HandOffInbox::jobEnded()
{
    {
        const std::lock_guard lock(m_mutex);
        --m_unfinishedJobs;
    }
    m_changed.notify_all();
}

void HandOffInbox::offer(std::shared_ptr<MainHandOff> handOff)
{
    {
        const std::lock_guard lock(m_mutex);
        m_offers.push_back(std::move(handOff));
    }
    m_changed.notify_all();
}

void HandOffInbox::withdraw(const std::shared_ptr<MainHandOff>& handOff)
{
    const std::lock_guard lock(m_mutex);
    std::erase(m_offers, handOff);
}

void HandOffInbox::serveUntilIdle()
{
    std::unique_lock lock(m_mutex);
    while (true) {
        m_changed.wait(lock, [this] { return m_unfinishedJobs == 0 || !m_offers.empty(); });
        if (m_offers.empty()) {
            return;
        }
        const std::shared_ptr<MainHandOff> handOff = std::move(m_offers.front());
        m_offers.pop_front();
        lock.unlock();
        handOff->runIfUnclaimed();
        lock.lock();
    }
}

} // namespace tavlen::detail
