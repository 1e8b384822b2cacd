#pragma once

#include "CancelledError.h"
#include "SerialExecutor.h"
#include "SqliteConnection.h"
#include "SqliteTransaction.h"

#include <QCoroTask>

#include <memory>
#include <stop_token>
#include <type_traits>

namespace tavlen {

// The open workspace: its one connection and the serial executor every statement runs on, one access after the
// other. Errors pass through unmapped (MonitorDatabase maps them for its callers). A caller whose stop token is
// triggered before its access starts gets CancelledError; during the access the running statement is interrupted.
class DatabaseQueue
{
public:
    DatabaseQueue(SerialExecutor& executor, std::unique_ptr<SqliteConnection> connection);
    ~DatabaseQueue();

    // body(connection) inside a read access, where writing fails.
    template <class F>
    auto read(F body, std::stop_token token = {}) -> QCoro::Task<std::invoke_result_t<F&, SqliteConnection&>>
    {
        // Named, not a temporary inside the co_await: g++ 12 destroys such a closure twice.
        auto job = [this, body = std::move(body), token]() mutable { return readNow(body, token); };
        auto task = m_executor.run(std::move(job));
        co_return co_await std::move(task);
    }

    // body(connection) inside one write transaction: committed when it returns, rolled back when it throws.
    template <class F>
    auto write(F body, std::stop_token token = {}) -> QCoro::Task<std::invoke_result_t<F&, SqliteConnection&>>
    {
        auto job = [this, body = std::move(body), token]() mutable { return writeNow(body, token); };
        auto task = m_executor.run(std::move(job));
        co_return co_await std::move(task);
    }

    // The same accesses, run at once on the calling thread, which must be the executor's.
    template <class F> decltype(auto) readNow(F& body, const std::stop_token& token)
    {
        const InterruptScope scope(*m_connection, token);
        return inSqliteTransaction(*m_connection, SqliteTransaction::Kind::readOnly, body);
    }

    template <class F> decltype(auto) writeNow(F& body, const std::stop_token& token)
    {
        const InterruptScope scope(*m_connection, token);
        return inSqliteTransaction(*m_connection, SqliteTransaction::Kind::immediate, body);
    }

    SerialExecutor& executor() const { return m_executor; }

private:
    // Ties a caller's stop token to the connection for the length of one access.
    class InterruptScope
    {
    public:
        InterruptScope(SqliteConnection& connection, const std::stop_token& token);
        InterruptScope(const InterruptScope&) = delete;
        InterruptScope& operator=(const InterruptScope&) = delete;

    private:
        struct Interrupt
        {
            SqliteConnection* connection;

            void operator()() const noexcept { connection->interrupt(); }
        };

        // Clears the interrupt once the callback below is unregistered (members end in reverse order, and the
        // callback's end waits for a run on another thread), so no interrupt reaches the next caller's access.
        struct ClearInterrupt
        {
            SqliteConnection& connection;

            ~ClearInterrupt() { connection.clearInterrupt(); }
        };

        ClearInterrupt m_clear;
        std::stop_callback<Interrupt> m_callback;
    };

    SerialExecutor& m_executor;
    std::unique_ptr<SqliteConnection> m_connection;
};

} // namespace tavlen
