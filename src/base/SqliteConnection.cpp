#include "SqliteConnection.h"

#include "SqliteStatement.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <thread>

namespace tavlen {

namespace {

// Virtual-machine steps between two checks for an interrupt request.
constexpr int progressCheckInterval = 256;

// Distinct statements a connection keeps prepared; the repositories use a few dozen.
constexpr std::size_t statementCacheCapacity = 128;

std::string messageOf(sqlite3* db, int resultCode, std::string_view context)
{
    std::string message = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(resultCode);
    if (!context.empty()) {
        message = std::string(context) + ": " + message;
    }
    return message;
}

} // namespace

SqliteConnection::SqliteConnection(const std::filesystem::path& path, const SqliteConfiguration& configuration)
    : m_busyTimeout(configuration.busyTimeout)
{
    // One thread at a time uses a connection (and sqlite3_interrupt is safe from any thread), so SQLite's own
    // per-call locking of the connection would only cost time: every column read takes and drops a mutex.
    // A symbolic link in place of the file is refused rather than followed.
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW;
    const int result = sqlite3_open_v2(path.c_str(), &m_db, flags, nullptr);
    if (result != SQLITE_OK) {
        const int code = m_db != nullptr ? sqlite3_extended_errcode(m_db) : result;
        const std::string message = messageOf(m_db, result, "cannot open " + path.string());
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw SqliteError(code, message);
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_handler(m_db, &SqliteConnection::busyHandler, this);
    sqlite3_progress_handler(m_db, progressCheckInterval, &SqliteConnection::progressHandler, this);
    sqlite3_set_authorizer(m_db, &SqliteConnection::authorize, this);
    try {
        execute(configuration.foreignKeys ? "PRAGMA foreign_keys = ON" : "PRAGMA foreign_keys = OFF");
        for (const std::string& statement : configuration.preparationStatements) {
            execute(statement);
        }
    } catch (...) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw;
    }
}

SqliteConnection::~SqliteConnection()
{
    for (const auto& [sql, statement] : m_statementCache) {
        sqlite3_finalize(statement);
    }
    // Statements are RAII objects that cannot outlive their connection, so a plain close succeeds; close_v2 keeps
    // even a misuse from leaking the handle.
    sqlite3_close_v2(m_db);
}

sqlite3_stmt* SqliteConnection::takeCachedStatement(std::string_view sql) noexcept
{
    const auto found = m_statementCache.find(sql);
    if (found == m_statementCache.end()) {
        return nullptr;
    }
    sqlite3_stmt* statement = found->second;
    m_statementCache.erase(found);
    return statement;
}

void SqliteConnection::releaseStatement(sqlite3_stmt* statement, bool cacheable) noexcept
{
    if (statement == nullptr) {
        return;
    }
    if (cacheable && m_statementCache.size() < statementCacheCapacity) {
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
        try {
            if (m_statementCache.try_emplace(sqlite3_sql(statement), statement).second) {
                return;
            }
        } catch (...) {
            // Out of memory: the statement is simply not kept.
        }
    }
    sqlite3_finalize(statement);
}

std::int64_t SqliteConnection::changes() const noexcept
{
    return sqlite3_changes64(m_db);
}

std::int64_t SqliteConnection::lastInsertRowId() const noexcept
{
    return sqlite3_last_insert_rowid(m_db);
}

bool SqliteConnection::isInTransaction() const noexcept
{
    return sqlite3_get_autocommit(m_db) == 0;
}

void SqliteConnection::execute(std::string_view sql)
{
    while (!sql.empty()) {
        sqlite3_stmt* statement = nullptr;
        const char* tail = nullptr;
        check(sqlite3_prepare_v2(m_db, sql.data(), static_cast<int>(sql.size()), &statement, &tail));
        if (statement == nullptr) {
            return; // only white space and comments remain
        }
        int result;
        while ((result = sqlite3_step(statement)) == SQLITE_ROW) {
        }
        if (result != SQLITE_DONE) {
            try {
                throwFailure(result, {});
            } catch (...) {
                sqlite3_finalize(statement);
                throw;
            }
        }
        sqlite3_finalize(statement);
        sql.remove_prefix(static_cast<std::size_t>(tail - sql.data()));
    }
}

SqliteStatement SqliteConnection::prepare(std::string_view sql)
{
    return SqliteStatement(*this, sql);
}

void SqliteConnection::interrupt() noexcept
{
    m_interrupted.store(true, std::memory_order_relaxed);
    sqlite3_interrupt(m_db);
}

void SqliteConnection::clearInterrupt() noexcept
{
    m_interrupted.store(false, std::memory_order_relaxed);
}

void SqliteConnection::check(int resultCode, std::string_view context) const
{
    if (resultCode == SQLITE_OK || resultCode == SQLITE_ROW || resultCode == SQLITE_DONE) {
        return;
    }
    throwFailure(resultCode, context);
}

void SqliteConnection::throwFailure(int resultCode, std::string_view context) const
{
    int code = sqlite3_extended_errcode(m_db);
    if ((code & 0xff) != (resultCode & 0xff)) {
        code = resultCode;
    }
    // An interrupt makes the busy handler give up early; report what happened, not the lock.
    if (isInterrupted() && ((code & 0xff) == SQLITE_BUSY || (code & 0xff) == SQLITE_LOCKED)) {
        throw SqliteError(SQLITE_INTERRUPT, messageOf(nullptr, SQLITE_INTERRUPT, context));
    }
    throw SqliteError(code, messageOf(m_db, resultCode, context));
}

// SQLite's own busy timeout sleeps without looking at interrupts; this one keeps the same deadline but stops
// waiting as soon as the connection is interrupted.
int SqliteConnection::busyHandler(void* self, int attempt)
{
    auto* connection = static_cast<SqliteConnection*>(self);
    const auto now = std::chrono::steady_clock::now();
    if (attempt == 0) {
        connection->m_busySince = now;
    }
    if (connection->isInterrupted() || now - connection->m_busySince >= connection->m_busyTimeout) {
        return 0;
    }
    constexpr std::chrono::milliseconds delays[] = {std::chrono::milliseconds(1),
                                                    std::chrono::milliseconds(2),
                                                    std::chrono::milliseconds(5),
                                                    std::chrono::milliseconds(10),
                                                    std::chrono::milliseconds(15),
                                                    std::chrono::milliseconds(20),
                                                    std::chrono::milliseconds(25)};
    const auto remaining = connection->m_busyTimeout - (now - connection->m_busySince);
    const auto delay = std::min<std::chrono::steady_clock::duration>(
        remaining, delays[std::min<std::size_t>(static_cast<std::size_t>(attempt), std::size(delays) - 1)]);
    std::this_thread::sleep_for(delay);
    return 1;
}

int SqliteConnection::progressHandler(void* self)
{
    const auto* connection = static_cast<const SqliteConnection*>(self);
    return connection->isInterrupted() && !connection->m_uninterruptible ? 1 : 0;
}

int SqliteConnection::authorize(void* self, int action, const char* first, const char*, const char*, const char*)
{
    auto* connection = static_cast<SqliteConnection*>(self);
    if (action == SQLITE_TRANSACTION || action == SQLITE_PRAGMA) {
        connection->m_preparedGuardedStatement = true;
    }
    if (connection->m_ownTransactionControl) {
        return SQLITE_OK;
    }
    // Inside the layer's transaction a body may not end it or open another one behind its back.
    if (action == SQLITE_TRANSACTION && connection->m_inManagedTransaction) {
        return SQLITE_DENY;
    }
    // A read access is enforced by "PRAGMA query_only"; its body may not switch that off.
    if (action == SQLITE_PRAGMA && connection->m_readOnlyAccess && first != nullptr &&
        sqlite3_stricmp(first, "query_only") == 0) {
        return SQLITE_DENY;
    }
    return SQLITE_OK;
}

} // namespace tavlen
