#include "SqliteStatement.h"

#include "SqliteConnection.h"

#include <sqlite3.h>

#include <utility>

namespace tavlen {

SqliteStatement::SqliteStatement(SqliteConnection& connection, std::string_view sql)
    : m_connection(&connection)
{
    m_statement = connection.takeCachedStatement(sql);
    if (m_statement != nullptr) {
        m_cacheable = true;
        return;
    }
    sqlite3* db = connection.handle();
    const char* tail = nullptr;
    connection.m_preparedGuardedStatement = false;
    connection.check(sqlite3_prepare_v3(
        db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &m_statement, &tail));
    m_cacheable = !connection.m_preparedGuardedStatement;
    if (m_statement == nullptr) {
        throw SqliteError(SQLITE_MISUSE, "the SQL text holds no statement");
    }
    // Anything after the first statement must be white space or comments: preparing it must yield nothing.
    const std::string_view rest = sql.substr(static_cast<std::size_t>(tail - sql.data()));
    sqlite3_stmt* second = nullptr;
    const int result = sqlite3_prepare_v2(db, rest.data(), static_cast<int>(rest.size()), &second, nullptr);
    if (result != SQLITE_OK || second != nullptr) {
        sqlite3_finalize(second);
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
        throw SqliteError(SQLITE_MISUSE, "the SQL text holds more than one statement");
    }
}

SqliteStatement::~SqliteStatement()
{
    m_connection->releaseStatement(m_statement, m_cacheable);
}

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : m_connection(other.m_connection)
    , m_statement(std::exchange(other.m_statement, nullptr))
    , m_cacheable(other.m_cacheable)
{}

SqliteStatement& SqliteStatement::bind(int index, std::int64_t value)
{
    checkBind(sqlite3_bind_int64(m_statement, index, value), index);
    return *this;
}

SqliteStatement& SqliteStatement::bind(int index, double value)
{
    checkBind(sqlite3_bind_double(m_statement, index, value), index);
    return *this;
}

SqliteStatement& SqliteStatement::bind(int index, std::string_view text)
{
    // A null pointer would bind NULL: an empty text must stay the empty text.
    const char* bytes = text.empty() ? "" : text.data();
    checkBind(sqlite3_bind_text64(m_statement, index, bytes, text.size(), SQLITE_TRANSIENT, SQLITE_UTF8), index);
    return *this;
}

SqliteStatement& SqliteStatement::bind(int index, std::nullptr_t)
{
    checkBind(sqlite3_bind_null(m_statement, index), index);
    return *this;
}

SqliteStatement& SqliteStatement::bindBlob(int index, std::string_view bytes)
{
    const char* data = bytes.empty() ? "" : bytes.data();
    checkBind(sqlite3_bind_blob64(m_statement, index, data, bytes.size(), SQLITE_TRANSIENT), index);
    return *this;
}

bool SqliteStatement::step()
{
    const int result = sqlite3_step(m_statement);
    if (result == SQLITE_ROW) {
        return true;
    }
    if (result == SQLITE_DONE) {
        return false;
    }
    // Reset so the statement holds no lock or half-run state after the failure.
    try {
        m_connection->throwFailure(result);
    } catch (...) {
        sqlite3_reset(m_statement);
        throw;
    }
}

void SqliteStatement::execute()
{
    while (step()) {
    }
}

void SqliteStatement::reset()
{
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
}

int SqliteStatement::columnCount() const
{
    return sqlite3_column_count(m_statement);
}

std::string SqliteStatement::columnName(int column) const
{
    const char* name = sqlite3_column_name(m_statement, column);
    return name != nullptr ? name : "";
}

int SqliteStatement::columnIndex(std::string_view name) const
{
    const int count = columnCount();
    for (int column = 0; column < count; ++column) {
        const char* columnName = sqlite3_column_name(m_statement, column);
        if (columnName != nullptr && name == columnName) {
            return column;
        }
    }
    throw SqliteError(SQLITE_RANGE, "no column named " + std::string(name));
}

bool SqliteStatement::isNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

std::int64_t SqliteStatement::columnInt64(int column) const
{
    requireType(column, SQLITE_INTEGER);
    return sqlite3_column_int64(m_statement, column);
}

double SqliteStatement::columnDouble(int column) const
{
    if (sqlite3_column_type(m_statement, column) != SQLITE_INTEGER) {
        requireType(column, SQLITE_FLOAT);
    }
    return sqlite3_column_double(m_statement, column);
}

std::string SqliteStatement::columnText(int column) const
{
    return std::string(columnTextView(column));
}

std::string_view SqliteStatement::columnTextView(int column) const
{
    requireType(column, SQLITE_TEXT);
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    const int size = sqlite3_column_bytes(m_statement, column);
    return bytes != nullptr ? std::string_view(bytes, static_cast<std::size_t>(size)) : std::string_view();
}

std::string SqliteStatement::columnBlob(int column) const
{
    requireType(column, SQLITE_BLOB);
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(m_statement, column));
    const int size = sqlite3_column_bytes(m_statement, column);
    return bytes != nullptr ? std::string(bytes, static_cast<std::size_t>(size)) : std::string();
}

std::optional<std::int64_t> SqliteStatement::columnOptionalInt64(int column) const
{
    return isNull(column) ? std::nullopt : std::optional(columnInt64(column));
}

std::optional<double> SqliteStatement::columnOptionalDouble(int column) const
{
    return isNull(column) ? std::nullopt : std::optional(columnDouble(column));
}

std::optional<std::string> SqliteStatement::columnOptionalText(int column) const
{
    return isNull(column) ? std::nullopt : std::optional(columnText(column));
}

void SqliteStatement::checkBind(int resultCode, int index)
{
    if (resultCode != SQLITE_OK) {
        throw SqliteError(resultCode,
                          "cannot bind parameter " + std::to_string(index) + ": " + sqlite3_errstr(resultCode));
    }
}

void SqliteStatement::requireType(int column, int type) const
{
    if (column < 0 || column >= columnCount()) {
        throw SqliteError(SQLITE_RANGE, "no column " + std::to_string(column));
    }
    if (sqlite3_column_type(m_statement, column) != type) {
        throw SqliteError(SQLITE_MISMATCH, "column " + columnName(column) + " does not hold the expected type");
    }
}

} // namespace tavlen
