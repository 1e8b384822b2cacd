#pragma once

#include "DatabaseFailure.h"
#include "DatabaseQueue.h"
#include "SerialExecutor.h"

#include <QCoroTask>

#include <chrono>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <stop_token>
#include <string_view>
#include <type_traits>

namespace tavlen {

// The one workspace file. Opened lazily by the first operation of any kind (creating the folder and the file, the
// file with mode 0600, verifying and migrating the schema) and then kept open for the life of the object; a
// failed open is retried by the next operation. Every operation runs on the object's own serial executor and
// reports any failure as a MonitorStoreError. A stop request on a caller's token before its access starts, or one
// that interrupts its running statement, ends the access as interrupted. Destroy it only when no operation is in
// flight.
// Callers: a body lambda that captures by value something with a destructor must be a named variable, not a
// temporary inside the co_await expression (g++ 12 destroys such a temporary closure twice).
class MonitorDatabase
{
public:
    // How long a statement waits for another connection's lock before the access fails as busy.
    static constexpr std::chrono::milliseconds defaultBusyTimeout{5000};

    // Stores the location; touches nothing. Without a location every operation fails with storage.
    explicit MonitorDatabase(std::optional<std::filesystem::path> url,
                             std::chrono::milliseconds busyTimeout = defaultBusyTimeout);
    ~MonitorDatabase();
    MonitorDatabase(const MonitorDatabase&) = delete;
    MonitorDatabase& operator=(const MonitorDatabase&) = delete;

    // <application support>/<folderName>/Tavlen.sqlite, where application support is $XDG_DATA_HOME when it is
    // an absolute path, else ~/.local/share (the account's home directory when HOME is unset or relative). Touches
    // nothing.
    static std::filesystem::path defaultFileURL(std::string_view folderName);

    const std::optional<std::filesystem::path>& url() const { return m_url; }

    // body(SqliteConnection&) inside a read access (writing fails); its result, or a MonitorStoreError.
    template <class F>
    auto read(F body, std::stop_token token = {}) -> QCoro::Task<std::invoke_result_t<F&, SqliteConnection&>>
    {
        std::exception_ptr failure;
        try {
            // Named, not a temporary inside the co_await: g++ 12 destroys such a closure twice.
            auto job = [this, body = std::move(body), token]() mutable { return openQueueNow().readNow(body, token); };
            auto task = m_executor.run(std::move(job));
            co_return co_await std::move(task);
        } catch (...) {
            failure = std::current_exception();
        }
        std::rethrow_exception(mapDatabaseFailure(failure));
    }

    // body(SqliteConnection&) inside one write transaction, committed when it returns and rolled back when it
    // throws; its result, or a MonitorStoreError.
    template <class F>
    auto write(F body, std::stop_token token = {}) -> QCoro::Task<std::invoke_result_t<F&, SqliteConnection&>>
    {
        std::exception_ptr failure;
        try {
            auto job = [this, body = std::move(body), token]() mutable { return openQueueNow().writeNow(body, token); };
            auto task = m_executor.run(std::move(job));
            co_return co_await std::move(task);
        } catch (...) {
            failure = std::current_exception();
        }
        std::rethrow_exception(mapDatabaseFailure(failure));
    }

    // co_await body(DatabaseQueue&): the body makes its own read and write accesses on the open queue (each change
    // in one write transaction). Its result, or a MonitorStoreError.
    template <class F> auto access(F body) -> std::invoke_result_t<F&, DatabaseQueue&>
    {
        std::exception_ptr failure;
        try {
            auto opening = m_executor.run([this] { return &openQueueNow(); });
            DatabaseQueue* queue = co_await std::move(opening);
            co_return co_await body(*queue);
        } catch (...) {
            failure = std::current_exception();
        }
        std::rethrow_exception(mapDatabaseFailure(failure));
    }

private:
    // On the executor: the open queue, opening it first when needed. Throws unmapped errors.
    DatabaseQueue& openQueueNow();

    std::optional<std::filesystem::path> m_url;
    std::chrono::milliseconds m_busyTimeout;
    std::unique_ptr<DatabaseQueue> m_queue; // set on the executor only; never replaced once set
    // Declared last so it ends first: its thread finishes queued jobs before the queue and connection go.
    SerialExecutor m_executor;
};

} // namespace tavlen
