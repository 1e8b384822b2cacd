#pragma once

#include <QObject>
#include <QString>
#include <QThread>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace tavlen::test {

// logind's Inhibit on a bus of the test's own, answered from a thread of its own (a blocking call from the main
// thread would otherwise wait for itself). Each inhibitor is a pipe: the caller gets the read end, the stand-in
// keeps the write end, which reports an error once every copy of the read end is closed.
class StandInLogind
{
public:
    explicit StandInLogind(const QString& busAddress);
    ~StandInLogind();

    int inhibitCalls() const;
    // The arguments of the last call: what, who, why, mode.
    std::vector<QString> lastArguments() const;
    // Whether the i-th inhibitor handed out is still held by someone.
    bool isHeld(std::size_t index) const;

    struct Shared;

private:
    std::shared_ptr<Shared> m_shared;
    QThread m_thread;
    QObject* m_service = nullptr;
};

} // namespace tavlen::test
