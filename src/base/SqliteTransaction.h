#pragma once

#include <type_traits>

namespace tavlen {

class SqliteConnection;

// A transaction (RAII): begun in the constructor, rolled back by the destructor unless committed. While it is open,
// statements of the body cannot begin, commit or roll back transactions themselves.
class SqliteTransaction
{
public:
    enum class Kind
    {
        // Takes the write lock on the first write.
        deferred,
        // Takes the write lock at once, so a competing writer is met (and waited for) before any work is done.
        immediate,
        // A read access: a deferred transaction in which every write fails with SQLITE_READONLY.
        readOnly,
    };

    SqliteTransaction(SqliteConnection& connection, Kind kind);
    ~SqliteTransaction();
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;

    // Commits; throws SqliteError (SQLITE_ABORT) when a failed statement already made SQLite roll it back.
    void commit();
    // Rolls back now; a pending interrupt does not stop the rollback. Does nothing once finished.
    void rollback() noexcept;

private:
    void finish(const char* sql);
    void endReadOnly();

    SqliteConnection& m_connection;
    Kind m_kind;
    bool m_open = false;
};

// Runs body(connection) in one transaction of the given kind: committed when the body returns, rolled back when
// it throws (the exception passes on).
template <class F>
decltype(auto) inSqliteTransaction(SqliteConnection& connection, SqliteTransaction::Kind kind, F&& body)
{
    SqliteTransaction transaction(connection, kind);
    if constexpr (std::is_void_v<decltype(body(connection))>) {
        body(connection);
        transaction.commit();
    } else {
        auto result = body(connection);
        transaction.commit();
        return result;
    }
}

} // namespace tavlen
