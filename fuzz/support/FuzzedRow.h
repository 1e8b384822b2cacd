#pragma once

#include "SqliteConnection.h"
#include "SqliteStatement.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavlen::fuzz {

// A row of a table as the fuzzer writes it: a JSON array with one value per column, in the order of the names;
// a string is TEXT, an integer INTEGER, another number REAL, null NULL and {"blob": "<text>"} the bytes of the text
// as a BLOB. Missing values are NULL; an input that is not such an array gives nothing.
//
// The row is selected as "SELECT ? AS <name>, …" from an in-memory database, so a decoder reads it as it reads a
// stored row, with SQLite's own types, plus the given extra expressions (CAST(<name> AS BLOB) AS <alias>, …).
class FuzzedRow
{
public:
    static std::optional<FuzzedRow> make(std::string_view input,
                                         const std::vector<std::string>& names,
                                         const std::vector<std::string>& extraColumns = {});

    // The statement, stepped to its one row.
    const SqliteStatement& row() const { return *m_statement; }

private:
    FuzzedRow() = default;

    std::unique_ptr<SqliteConnection> m_connection;
    std::unique_ptr<SqliteStatement> m_statement;
};

} // namespace tavlen::fuzz
