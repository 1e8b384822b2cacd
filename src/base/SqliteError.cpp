#include "SqliteError.h"

namespace tavlen {

SqliteError::SqliteError(int extendedCode, const std::string& message)
    : std::runtime_error(message)
    , m_extendedCode(extendedCode)
{}

} // namespace tavlen
