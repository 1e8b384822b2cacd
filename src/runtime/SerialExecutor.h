#pragma once

#include "Completion.h"
#include "HandOffInbox.h"
#include "SerialQueue.h"
#include "ThreadLoop.h"

#include <QCoroTask>

#include <memory>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <type_traits>

namespace tavlen {

// Runs jobs one at a time, in the order they were given, on a thread of its own: the home of state that
// lives off the main thread (a database, say). Awaiting a job resumes the caller on the caller's thread.
// The destructor runs the jobs still queued, then joins the thread, so every waiter hears back. Destroyed on the
// main thread, it also runs, while it waits, what those jobs hand to the main thread with postToMainAndWait, which
// the blocked main loop could not.
class SerialExecutor
{
public:
    // name labels the thread (debuggers, top); at most 15 bytes are shown.
    explicit SerialExecutor(std::string name);
    // Must not be called from a job of this executor.
    ~SerialExecutor();
    SerialExecutor(const SerialExecutor&) = delete;
    SerialExecutor& operator=(const SerialExecutor&) = delete;

    // True when called from a job of this executor.
    bool isCurrent() const;

    // Queues job (called with no arguments) and returns its result, or rethrows what it threw, on the thread
    // that awaits it. The job is queued at once (tasks start eagerly), whether or not the task is awaited.
    // A stop on token abandons the wait with CancelledError (the job still runs). On a thread without a Qt event
    // loop, where nothing could resume the caller, it throws std::logic_error and queues nothing.
    template <class F>
    auto run(F job, std::stop_token token = {}) -> QCoro::Task<std::remove_cvref_t<std::invoke_result_t<F&>>>
    {
        using R = std::remove_cvref_t<std::invoke_result_t<F&>>;
        if (!ThreadLoop::current().hasEventLoop()) {
            throw std::logic_error("SerialExecutor::run needs a caller with a running Qt event loop");
        }
        Completion<R> done;
        auto shared = std::make_shared<F>(std::move(job)); // queued jobs are copyable; F need not be
        m_inbox.jobQueued();
        m_queue.post([done, shared, inbox = &m_inbox] {
            const detail::HandOffInbox::JobScope scope(*inbox);
            try {
                if constexpr (std::is_void_v<R>) {
                    (*shared)();
                    done.resume();
                } else {
                    done.resume((*shared)());
                }
            } catch (...) {
                done.fail(std::current_exception());
            }
        });
        if constexpr (std::is_void_v<R>) {
            co_await done.wait(std::move(token));
        } else {
            co_return co_await done.wait(std::move(token));
        }
    }

private:
    detail::HandOffInbox m_inbox; // outlives the queue, whose jobs use it
    SerialQueue m_queue;
};

} // namespace tavlen
