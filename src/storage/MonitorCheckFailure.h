#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tavlen {

// Why a stored check did not succeed. Made only through the constructor, which keeps both texts within their
// byte limits: the code cut to 80 bytes ("unknown" when that leaves nothing), the message to 4096 bytes, each at
// a Unicode scalar boundary.
class MonitorCheckFailure
{
public:
    static constexpr std::size_t maximumCodeBytes = 80;
    static constexpr std::size_t maximumMessageBytes = 4096;
    // The code of a check whose execution was cancelled.
    static constexpr std::string_view cancelledCode = "cancelled";
    // The code of a failure whose own code was empty.
    static constexpr std::string_view unknownCode = "unknown";

    MonitorCheckFailure(std::string_view code, std::string_view message);

    // Never empty, at most 80 UTF-8 bytes, lower snake case by convention ("execution_failed").
    const std::string& code() const { return m_code; }

    // Shown to the user; at most 4096 UTF-8 bytes.
    const std::string& message() const { return m_message; }

    // Both texts by canonical equivalence.
    friend bool operator==(const MonitorCheckFailure& a, const MonitorCheckFailure& b);

private:
    std::string m_code;
    std::string m_message;
};

} // namespace tavlen
