#pragma once

#include "SqliteError.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace tavlen {

class SqliteStatement;

// How a connection is prepared right after it opens.
struct SqliteConfiguration
{
    bool foreignKeys = true;
    // How long a statement that meets another connection's lock keeps retrying before it fails with busy.
    std::chrono::milliseconds busyTimeout{5000};
    // Statements run each time a connection is prepared, in order (e.g. "PRAGMA synchronous = FULL").
    std::vector<std::string> preparationStatements;
};

// One open SQLite database connection (RAII). Not thread-safe: use it from one thread at a time; only
// interrupt() may be called from any thread. Statements report failures as SqliteError.
class SqliteConnection
{
public:
    // Opens (creating when missing) the database file at path and applies the configuration.
    SqliteConnection(const std::filesystem::path& path, const SqliteConfiguration& configuration = {});
    ~SqliteConnection();
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    sqlite3* handle() const noexcept { return m_db; }

    // Rows changed by the last INSERT, UPDATE or DELETE.
    std::int64_t changes() const noexcept;
    std::int64_t lastInsertRowId() const noexcept;
    bool isInTransaction() const noexcept;

    // True inside a read-only transaction (see SqliteTransaction): writing is refused.
    bool isReadOnlyAccess() const noexcept { return m_readOnlyAccess; }

    // Runs one statement or a script of several, stepping each to its end.
    void execute(std::string_view sql);
    // Prepares one statement (refuses a second statement in the text).
    SqliteStatement prepare(std::string_view sql);

    // Makes the running statement, and every statement until clearInterrupt(), fail with SQLite's interrupt
    // result; a statement waiting for another connection's lock stops waiting. Safe from any thread.
    void interrupt() noexcept;
    void clearInterrupt() noexcept;

    bool isInterrupted() const noexcept { return m_interrupted.load(std::memory_order_relaxed); }

    // Throws SqliteError for a result code other than OK, ROW and DONE, with the connection's message.
    void check(int resultCode, std::string_view context = {}) const;
    // Throws the SqliteError for a failed result code (an interrupted lock wait reports SQLITE_INTERRUPT).
    [[noreturn]] void throwFailure(int resultCode, std::string_view context = {}) const;

private:
    friend class SqliteTransaction;
    friend class SqliteStatement;

    // Prepared statements kept for reuse by their SQL text: preparing is often the larger part of running a short
    // statement. Only statements whose preparation the authorizer had no reason to look at are kept (see
    // authorize), so a reused statement never escapes a check that a fresh preparation would make.
    struct TextHash
    {
        using is_transparent = void;

        std::size_t operator()(std::string_view text) const noexcept { return std::hash<std::string_view>{}(text); }
    };

    // A kept statement for exactly this text, taken out of the cache; nullptr when there is none.
    sqlite3_stmt* takeCachedStatement(std::string_view sql) noexcept;
    // Resets the statement and keeps it for reuse when it may be kept and there is room; finalises it otherwise.
    void releaseStatement(sqlite3_stmt* statement, bool cacheable) noexcept;

    static int busyHandler(void* self, int attempt);
    static int progressHandler(void* self);
    static int authorize(void* self, int action, const char*, const char*, const char*, const char*);

    sqlite3* m_db = nullptr;
    std::chrono::milliseconds m_busyTimeout;
    std::chrono::steady_clock::time_point m_busySince;
    std::atomic<bool> m_interrupted{false};
    // Set while the layer itself runs BEGIN/COMMIT/ROLLBACK, which bodies of a transaction may not.
    bool m_ownTransactionControl = false;
    // Set while a SqliteTransaction is open.
    bool m_inManagedTransaction = false;
    bool m_readOnlyAccess = false;
    bool m_uninterruptible = false;
    // Set by the authorizer when a statement being prepared controls transactions or runs a pragma.
    bool m_preparedGuardedStatement = false;
    std::unordered_map<std::string, sqlite3_stmt*, TextHash, std::equal_to<>> m_statementCache;
};

} // namespace tavlen
