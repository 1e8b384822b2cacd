#pragma once

#include <exception>
#include <string>

namespace tavlen {

// The error of a stored check that is gone. The workspace database lets it through unchanged, like a
// MonitorStoreError.
class MonitorCheckError : public std::exception
{
public:
    enum class Kind
    {
        missingCheck,
    };

    static MonitorCheckError missingCheck() { return MonitorCheckError(Kind::missingCheck); }

    Kind kind() const { return m_kind; }

    // The text shown to the user.
    const std::string& errorDescription() const;

    const char* what() const noexcept override;

    // There is one case, so two values are always equal.
    friend bool operator==(const MonitorCheckError&, const MonitorCheckError&) { return true; }

private:
    explicit MonitorCheckError(Kind kind)
        : m_kind(kind)
    {}

    Kind m_kind;
};

} // namespace tavlen
