#pragma once

#include "WorkspaceSchema.h"

#include <QCoroTask>
#include <QEventLoop>

#include <sqlite3.h>

#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

namespace tavlen::bench {

// A directory on the disk (not tmpfs), removed at the end.
class BenchDirectory
{
public:
    BenchDirectory()
    {
        std::string pattern = (std::filesystem::current_path() / "tavlen-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a directory for the benchmark");
        }
        m_path = pattern;
    }

    ~BenchDirectory() { std::filesystem::remove_all(m_path); }

    BenchDirectory(const BenchDirectory&) = delete;
    BenchDirectory& operator=(const BenchDirectory&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// Runs the main thread's event loop until the task finishes and returns its value.
template <class T> T finish(QCoro::Task<T> task)
{
    QEventLoop loop;
    std::optional<T> value;
    std::exception_ptr error;
    bool finished = false;
    auto drive = [](QCoro::Task<T> inner,
                    std::optional<T>& result,
                    std::exception_ptr& failure,
                    bool& done,
                    QEventLoop& l) -> QCoro::Task<void> {
        try {
            result.emplace(co_await inner);
        } catch (...) {
            failure = std::current_exception();
        }
        done = true;
        l.quit();
    };
    auto driving = drive(std::move(task), value, error, finished, loop);
    if (!finished) {
        loop.exec();
    }
    if (error) {
        std::rethrow_exception(error);
    }
    return std::move(*value);
}

inline void finish(QCoro::Task<void> task)
{
    auto wrapped = [](QCoro::Task<void> inner) -> QCoro::Task<int> {
        co_await inner;
        co_return 0;
    };
    finish(wrapped(std::move(task)));
}

inline void check(sqlite3* db, int result)
{
    if (result != SQLITE_OK && result != SQLITE_ROW && result != SQLITE_DONE) {
        throw std::runtime_error(sqlite3_errmsg(db));
    }
}

inline void execute(sqlite3* db, const std::string& sql)
{
    check(db, sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr));
}

// The bare C API's connection to a new workspace file, configured and migrated as Tavlen's own.
inline sqlite3* openBareWorkspace(const std::filesystem::path& file)
{
    sqlite3* db = nullptr;
    check(db, sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr));
    sqlite3_busy_timeout(db, 5000);
    execute(db, "PRAGMA foreign_keys = ON; PRAGMA synchronous = FULL");
    execute(db, "BEGIN;" + workspaceSchemaScript() + "COMMIT;");
    return db;
}

// Runs one statement with text arguments and steps through its rows, reading every column as the repositories
// would (numbers as numbers, texts and blobs as bytes). Prepared and finalised each time, as the repositories do.
template <class... Arguments> std::int64_t runBare(sqlite3* db, const char* sql, const Arguments&... arguments)
{
    sqlite3_stmt* statement = nullptr;
    check(db, sqlite3_prepare_v2(db, sql, -1, &statement, nullptr));
    [[maybe_unused]] int index = 0; // unused when there are no arguments
    (
        [&](const auto& argument) {
            ++index;
            using A = std::decay_t<decltype(argument)>;
            if constexpr (std::is_integral_v<A>) {
                sqlite3_bind_int64(statement, index, argument);
            } else {
                sqlite3_bind_text(
                    statement, index, argument.data(), static_cast<int>(argument.size()), SQLITE_TRANSIENT);
            }
        }(arguments),
        ...);
    std::int64_t bytes = 0;
    int result = SQLITE_OK;
    while ((result = sqlite3_step(statement)) == SQLITE_ROW) {
        for (int column = 0; column < sqlite3_column_count(statement); ++column) {
            switch (sqlite3_column_type(statement, column)) {
            case SQLITE_INTEGER:
                bytes += sqlite3_column_int64(statement, column) & 1;
                break;
            case SQLITE_FLOAT:
                bytes += sqlite3_column_double(statement, column) > 0 ? 1 : 0;
                break;
            case SQLITE_NULL:
                break;
            default:
                bytes += std::string(static_cast<const char*>(sqlite3_column_blob(statement, column)),
                                     static_cast<std::size_t>(sqlite3_column_bytes(statement, column)))
                             .size();
            }
        }
    }
    check(db, result);
    sqlite3_finalize(statement);
    return bytes;
}

} // namespace tavlen::bench
