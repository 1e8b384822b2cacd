#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace tavlen {

// One worker thread that runs posted jobs one at a time, in the order they were posted.
// Jobs must not throw (an escaping exception terminates the program, as on any std::thread).
class SerialQueue
{
public:
    // Starts the thread; the name (cut to 15 bytes) labels it for debuggers and ps.
    explicit SerialQueue(std::string name);
    // Runs every job still queued, including jobs those jobs post, then joins the thread.
    // Must not be called from a job of this queue.
    ~SerialQueue();

    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    const std::string& name() const { return m_name; }

    // Whether the caller is running on this queue's thread.
    bool isCurrent() const;

    // Queues the job behind those already posted. Safe from any thread, including the queue's own.
    void post(std::function<void()> job);

private:
    void run();

    std::string m_name;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_jobs;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace tavlen
