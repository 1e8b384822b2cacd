#pragma once

#include <stdexcept>
#include <string>

namespace tavlen {

// A failure reported by SQLite, carrying its extended result code. The primary code (the low 8 bits) names the
// class of failure (5 busy, 6 locked, 9 interrupt, 11 corrupt, 19 constraint, 26 not a database, ...).
class SqliteError : public std::runtime_error
{
public:
    SqliteError(int extendedCode, const std::string& message);

    int extendedCode() const noexcept { return m_extendedCode; }

    int primaryCode() const noexcept { return m_extendedCode & 0xff; }

private:
    int m_extendedCode;
};

} // namespace tavlen
