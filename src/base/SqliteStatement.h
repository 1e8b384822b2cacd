#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3_stmt;

namespace tavlen {

class SqliteConnection;

// One prepared statement (RAII: prepared in the constructor, released in the destructor). Refuses text holding
// more than one statement. Parameters are numbered from 1, columns from 0. Failures throw SqliteError.
// The connection keeps released statements for reuse: a statement made again with the same text starts from the
// kept one, reset and with no bindings, as if newly prepared. Statements that run pragmas or control transactions
// are always prepared afresh.
class SqliteStatement
{
public:
    SqliteStatement(SqliteConnection& connection, std::string_view sql);
    ~SqliteStatement();
    SqliteStatement(SqliteStatement&& other) noexcept;
    SqliteStatement& operator=(SqliteStatement&&) = delete;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    // Binding. A text binds as TEXT even when empty ('' is not NULL).
    SqliteStatement& bind(int index, std::int64_t value);

    SqliteStatement& bind(int index, int value) { return bind(index, static_cast<std::int64_t>(value)); }

    SqliteStatement& bind(int index, bool value) { return bind(index, static_cast<std::int64_t>(value ? 1 : 0)); }

    SqliteStatement& bind(int index, double value);
    SqliteStatement& bind(int index, std::string_view text);

    SqliteStatement& bind(int index, const char* text) { return bind(index, std::string_view(text)); }

    SqliteStatement& bind(int index, const std::string& text) { return bind(index, std::string_view(text)); }

    SqliteStatement& bind(int index, std::nullptr_t);
    SqliteStatement& bindBlob(int index, std::string_view bytes);

    template <class T> SqliteStatement& bind(int index, const std::optional<T>& value)
    {
        return value ? bind(index, *value) : bind(index, nullptr);
    }

    // Binds the values to parameters 1, 2, ... in order.
    template <class... Values> SqliteStatement& bindAll(const Values&... values)
    {
        int index = 0;
        (bind(++index, values), ...);
        return *this;
    }

    // Steps once: true when a row is available, false when the statement has finished.
    bool step();
    // Steps to the end, ignoring rows.
    void execute();
    // Clears the run so the statement can run again with new bindings.
    void reset();

    // Row access. Typed reads require the column's stored type (a real read accepts an integer too) and throw
    // SqliteError with SQLITE_MISMATCH otherwise; texts are returned as their exact bytes.
    int columnCount() const;
    std::string columnName(int column) const;
    // The index of the column with that name; throws SqliteError (SQLITE_RANGE) when there is none.
    int columnIndex(std::string_view name) const;
    bool isNull(int column) const;
    std::int64_t columnInt64(int column) const;
    double columnDouble(int column) const;
    std::string columnText(int column) const;
    // The same bytes without a copy: valid until the statement steps, resets or goes.
    std::string_view columnTextView(int column) const;
    std::string columnBlob(int column) const;
    std::optional<std::int64_t> columnOptionalInt64(int column) const;
    std::optional<double> columnOptionalDouble(int column) const;
    std::optional<std::string> columnOptionalText(int column) const;

    sqlite3_stmt* handle() const noexcept { return m_statement; }

private:
    void checkBind(int resultCode, int index);
    void requireType(int column, int type) const;

    SqliteConnection* m_connection;
    sqlite3_stmt* m_statement = nullptr;
    bool m_cacheable = false;
};

} // namespace tavlen
