#include "SerialExecutor.h"

#include "MainThread.h"

#include <QtGlobal>

namespace tavlen {

SerialExecutor::SerialExecutor(std::string name)
    : m_queue(std::move(name))
{}

SerialExecutor::~SerialExecutor()
{
    Q_ASSERT_X(!isCurrent(), Q_FUNC_INFO, "an executor cannot be destroyed by its own job");
    if (isMainThread()) {
        m_inbox.serveUntilIdle();
    }
}

bool SerialExecutor::isCurrent() const
{
    return m_queue.isCurrent();
}

} // namespace tavlen
