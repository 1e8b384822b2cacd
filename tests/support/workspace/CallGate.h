#pragma once

#include "Completion.h"

#include <QCoroTask>

#include <cstddef>
#include <utility>
#include <vector>

namespace tavlen::test {

// Holds the calls that pass it while closed, each until the test lets it go, in any order. Open, it lets every
// call through at once. Dropping the gate ends the calls it still holds with CancelledError.
class CallGate
{
public:
    void close() { m_closed = true; }

    // Lets every held call go and every later one pass.
    void open()
    {
        m_closed = false;
        for (const Completion<void>& held : m_held) {
            held.resume();
        }
    }

    // How many calls arrived while closed, released or not.
    std::size_t arrived() const { return m_held.size(); }

    // Lets the index-th held call (in arrival order) go.
    void release(std::size_t index) { m_held.at(index).resume(); }

    QCoro::Task<void> pass()
    {
        if (!m_closed) {
            co_return;
        }
        // Only the gate keeps the completion, so dropping the gate ends the wait.
        m_held.emplace_back();
        auto waiting = m_held.back().wait();
        co_await std::move(waiting);
    }

private:
    bool m_closed = false;
    std::vector<Completion<void>> m_held;
};

} // namespace tavlen::test
