#pragma once

#include <string>
#include <variant>

namespace tavlen {

// The value of one reading: a number or a text. Stored and validated readings hold only finite numbers.
class ReadingValue
{
public:
    static ReadingValue ofNumber(double number) { return ReadingValue(number); }

    static ReadingValue ofText(std::string text) { return ReadingValue(std::move(text)); }

    bool isNumber() const { return std::holds_alternative<double>(m_value); }

    bool isText() const { return std::holds_alternative<std::string>(m_value); }

    // Precondition: isNumber().
    double number() const { return std::get<double>(m_value); }

    // Precondition: isText().
    const std::string& text() const { return std::get<std::string>(m_value); }

    // Same case; numbers by value, texts by their UTF-8 bytes (no canonical equivalence).
    friend bool operator==(const ReadingValue& a, const ReadingValue& b);

private:
    explicit ReadingValue(double number)
        : m_value(number)
    {}

    explicit ReadingValue(std::string text)
        : m_value(std::move(text))
    {}

    std::variant<double, std::string> m_value;
};

} // namespace tavlen
