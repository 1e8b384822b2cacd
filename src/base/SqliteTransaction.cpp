#include "SqliteTransaction.h"

#include "SqliteConnection.h"

#include <sqlite3.h>

#include <utility>

namespace tavlen {

SqliteTransaction::SqliteTransaction(SqliteConnection& connection, Kind kind)
    : m_connection(connection)
    , m_kind(kind)
{
    connection.m_ownTransactionControl = true;
    try {
        connection.execute(kind == Kind::immediate ? "BEGIN IMMEDIATE" : "BEGIN DEFERRED");
        m_open = true;
        connection.m_inManagedTransaction = true;
        if (kind == Kind::readOnly) {
            connection.execute("PRAGMA query_only = 1");
            connection.m_readOnlyAccess = true;
        }
    } catch (...) {
        connection.m_ownTransactionControl = false;
        rollback();
        throw;
    }
    connection.m_ownTransactionControl = false;
}

SqliteTransaction::~SqliteTransaction()
{
    rollback();
}

void SqliteTransaction::commit()
{
    // Some failures make SQLite roll the whole transaction back. Whatever the body ran after such a failure (one it
    // caught) was committed statement by statement, so the change as a whole is not what the body meant: report it.
    if (m_open && !m_connection.isInTransaction()) {
        rollback();
        throw SqliteError(SQLITE_ABORT, "the transaction was rolled back before its commit");
    }
    finish("COMMIT");
}

void SqliteTransaction::rollback() noexcept
{
    if (!m_open) {
        return;
    }
    // A failed statement may already have ended the transaction (SQLite rolls back on some errors); a rollback
    // must still run, and run to its end even when an interrupt is pending.
    const bool wasUninterruptible = std::exchange(m_connection.m_uninterruptible, true);
    try {
        finish("ROLLBACK");
    } catch (...) {
        m_open = false;
        m_connection.m_inManagedTransaction = false;
        try {
            endReadOnly();
        } catch (...) {
        }
    }
    m_connection.m_uninterruptible = wasUninterruptible;
}

void SqliteTransaction::finish(const char* sql)
{
    {
        const bool wasOwn = std::exchange(m_connection.m_ownTransactionControl, true);

        struct Restore
        {
            SqliteConnection& connection;
            bool value;

            ~Restore() { connection.m_ownTransactionControl = value; }
        } restore{m_connection, wasOwn};

        if (m_connection.isInTransaction()) {
            m_connection.execute(sql);
        }
    }
    m_open = false;
    m_connection.m_inManagedTransaction = false;
    endReadOnly();
}

void SqliteTransaction::endReadOnly()
{
    if (m_kind != Kind::readOnly || !m_connection.m_readOnlyAccess) {
        return;
    }
    m_connection.m_readOnlyAccess = false;
    const bool wasUninterruptible = std::exchange(m_connection.m_uninterruptible, true);
    try {
        m_connection.execute("PRAGMA query_only = 0");
    } catch (...) {
        m_connection.m_uninterruptible = wasUninterruptible;
        throw;
    }
    m_connection.m_uninterruptible = wasUninterruptible;
}

} // namespace tavlen
