#include "MonitorCheckFailure.h"

#include "Utf8.h"

namespace tavlen {

MonitorCheckFailure::MonitorCheckFailure(std::string_view code, std::string_view message)
    : m_code(truncateUTF8(code, maximumCodeBytes))
    , m_message(truncateUTF8(message, maximumMessageBytes))
{
    if (m_code.empty()) {
        m_code = unknownCode;
    }
}

bool operator==(const MonitorCheckFailure& a, const MonitorCheckFailure& b)
{
    return textEqual(a.m_code, b.m_code) && textEqual(a.m_message, b.m_message);
}

} // namespace tavlen
