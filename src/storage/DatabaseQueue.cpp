#include "DatabaseQueue.h"

namespace tavlen {

namespace {

const std::stop_token& requireNotStopped(const std::stop_token& token)
{
    if (token.stop_requested()) {
        throw CancelledError();
    }
    return token;
}

} // namespace

DatabaseQueue::DatabaseQueue(SerialExecutor& executor, std::unique_ptr<SqliteConnection> connection)
    : m_executor(executor)
    , m_connection(std::move(connection))
{}

DatabaseQueue::~DatabaseQueue() = default;

DatabaseQueue::InterruptScope::InterruptScope(SqliteConnection& connection, const std::stop_token& token)
    : m_clear{connection}
    , m_callback(requireNotStopped(token), Interrupt{&connection})
{}

} // namespace tavlen
