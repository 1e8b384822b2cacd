#include "Iso8601.h"

#include <charconv>
#include <cstdint>
#include <string>

namespace tavlen {

namespace {

class Cursor
{
public:
    explicit Cursor(std::string_view text)
        : m_text(text)
    {}

    bool atEnd() const { return m_pos == m_text.size(); }

    bool peekDigit() const { return !atEnd() && m_text[m_pos] >= '0' && m_text[m_pos] <= '9'; }

    // Reads exactly `count` ASCII digits.
    std::optional<int> digits(int count)
    {
        int value = 0;
        for (int i = 0; i < count; ++i) {
            if (!peekDigit()) {
                return std::nullopt;
            }
            value = value * 10 + (m_text[m_pos++] - '0');
        }
        return value;
    }

    bool consume(char expected)
    {
        if (atEnd() || m_text[m_pos] != expected) {
            return false;
        }
        ++m_pos;
        return true;
    }

    std::optional<char> next()
    {
        if (atEnd()) {
            return std::nullopt;
        }
        return m_text[m_pos++];
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

// Days from 1970-01-01 to the given proleptic Gregorian date.
std::int64_t daysFromCivil(std::int64_t year, int month, int day)
{
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

} // namespace

std::optional<Date> parseISO8601DateTime(std::string_view text)
{
    Cursor cursor(text);
    const auto year = cursor.digits(4);
    if (!year || !cursor.consume('-')) {
        return std::nullopt;
    }
    const auto month = cursor.digits(2);
    if (!month || *month < 1 || *month > 12 || !cursor.consume('-')) {
        return std::nullopt;
    }
    const auto day = cursor.digits(2);
    if (!day || *day < 1 || *day > daysInMonth(*year, *month) || !cursor.consume('T')) {
        return std::nullopt;
    }
    const auto hour = cursor.digits(2);
    if (!hour || *hour > 23 || !cursor.consume(':')) {
        return std::nullopt;
    }
    const auto minute = cursor.digits(2);
    if (!minute || *minute > 59 || !cursor.consume(':')) {
        return std::nullopt;
    }
    const auto second = cursor.digits(2);
    if (!second || *second > 59) {
        return std::nullopt;
    }
    double fraction = 0.0;
    if (cursor.consume('.')) {
        if (!cursor.peekDigit()) {
            return std::nullopt;
        }
        std::string decimal = "0.";
        while (cursor.peekDigit()) {
            decimal.push_back(*cursor.next());
        }
        // Correctly rounded, so ".123" is the double nearest 0.123.
        std::from_chars(decimal.data(), decimal.data() + decimal.size(), fraction);
    }
    int offsetSeconds = 0;
    const auto designator = cursor.next();
    if (designator == 'Z') {
        offsetSeconds = 0;
    } else if (designator == '+' || designator == '-') {
        const auto offsetHours = cursor.digits(2);
        if (!offsetHours || *offsetHours > 23 || !cursor.consume(':')) {
            return std::nullopt;
        }
        const auto offsetMinutes = cursor.digits(2);
        if (!offsetMinutes || *offsetMinutes > 59) {
            return std::nullopt;
        }
        offsetSeconds = (*offsetHours * 60 + *offsetMinutes) * 60 * (designator == '-' ? -1 : 1);
    } else {
        return std::nullopt;
    }
    if (!cursor.atEnd()) {
        return std::nullopt;
    }
    const std::int64_t wholeSeconds =
        daysFromCivil(*year, *month, *day) * 86400 + *hour * 3600 + *minute * 60 + *second - offsetSeconds;
    return Date::fromSecondsSince1970(static_cast<double>(wholeSeconds) + fraction);
}

} // namespace tavlen
