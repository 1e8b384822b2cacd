#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace tavlen::detail {

// One job a worker hands to the main thread and waits for: run once, by whichever of the main loop and a main
// thread joining that worker claims it first, or dropped unrun when the main loop goes away.
class MainHandOff
{
public:
    explicit MainHandOff(std::function<void()> job);

    // Main thread: runs the job unless it was claimed or dropped already. The job must not throw.
    void runIfUnclaimed();
    // The main loop's copy was dropped unrun: the waiting worker stops waiting.
    void drop();
    // Worker: waits until the job has run (true) or was dropped (false).
    bool wait();

private:
    enum class State
    {
        queued,
        running,
        done,
        dropped
    };

    std::mutex m_mutex;
    std::condition_variable m_changed;
    State m_state = State::queued;
    std::function<void()> m_job;
};

// Where the jobs of one SerialExecutor also leave their main-thread hand-offs, so that a main thread destroying
// the executor can run them while it waits for those jobs, instead of both waiting for each other forever.
//
//     run():        inbox.jobQueued(); queue.post([&inbox, job] { HandOffInbox::JobScope scope(inbox); job(); });
//     destructor:   if (isMainThread()) inbox.serveUntilIdle();
class HandOffInbox
{
public:
    // Marks the calling (worker) thread as running a job of this inbox's executor, and counts the job as ended
    // when it goes.
    class JobScope
    {
    public:
        explicit JobScope(HandOffInbox& inbox);
        ~JobScope();
        JobScope(const JobScope&) = delete;
        JobScope& operator=(const JobScope&) = delete;

    private:
        HandOffInbox& m_inbox;
        HandOffInbox* m_outer;
    };

    // The inbox of the job running on the calling thread, if any.
    static HandOffInbox* current();

    void jobQueued();
    // Worker: offers a hand-off for as long as it waits for it.
    void offer(std::shared_ptr<MainHandOff> handOff);
    void withdraw(const std::shared_ptr<MainHandOff>& handOff);
    // Main thread: runs offered hand-offs until no job of the executor is queued or running.
    void serveUntilIdle();

private:
    void jobEnded();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::shared_ptr<MainHandOff>> m_offers;
    int m_unfinishedJobs = 0;
};

} // namespace tavlen::detail
