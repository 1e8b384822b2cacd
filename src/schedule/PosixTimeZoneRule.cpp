#include "PosixTimeZoneRule.h"

#include <date/date.h>

#include <cctype>
#include <utility>

namespace tavlen {

namespace {

class Reader
{
public:
    explicit Reader(std::string_view text)
        : m_text(text)
    {}

    bool atEnd() const { return m_position == m_text.size(); }

    bool take(char c)
    {
        if (!atEnd() && m_text[m_position] == c) {
            ++m_position;
            return true;
        }
        return false;
    }

    bool atDigit() const { return !atEnd() && std::isdigit(static_cast<unsigned char>(m_text[m_position])); }

    // A zone abbreviation: three or more letters, or anything of letters, digits and signs within <>.
    bool name()
    {
        if (take('<')) {
            const std::size_t start = m_position;
            while (!atEnd() && m_text[m_position] != '>') {
                const char c = m_text[m_position];
                if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-') {
                    return false;
                }
                ++m_position;
            }
            return m_position - start >= 3 && take('>');
        }
        const std::size_t start = m_position;
        while (!atEnd() && std::isalpha(static_cast<unsigned char>(m_text[m_position]))) {
            ++m_position;
        }
        return m_position - start >= 3;
    }

    std::optional<int> number(int largest)
    {
        if (!atDigit()) {
            return std::nullopt;
        }
        int value = 0;
        while (atDigit()) {
            value = value * 10 + (m_text[m_position++] - '0');
            if (value > largest) {
                return std::nullopt;
            }
        }
        return value;
    }

    // [+-]hh[:mm[:ss]] in seconds.
    std::optional<std::int32_t> duration(int largestHours)
    {
        const int sign = take('-') ? -1 : (take('+'), 1);
        const auto hours = number(largestHours);
        if (!hours) {
            return std::nullopt;
        }
        std::int32_t seconds = *hours * 3600;
        for (int unit : {60, 1}) {
            if (!take(':')) {
                break;
            }
            const auto part = number(59);
            if (!part) {
                return std::nullopt;
            }
            seconds += *part * unit;
        }
        return sign * seconds;
    }

    std::optional<PosixTimeZoneRule::Change> change()
    {
        using Form = PosixTimeZoneRule::Change::Form;
        PosixTimeZoneRule::Change result;
        if (take('M')) {
            // m.w.d, each part in its range.
            int parts[3] = {};
            const int largest[3] = {12, 5, 6};
            for (int i = 0; i < 3; ++i) {
                const auto part = (i == 0 || take('.')) ? number(largest[i]) : std::nullopt;
                if (!part || (i < 2 && *part < 1)) {
                    return std::nullopt;
                }
                parts[i] = *part;
            }
            result.form = Form::weekdayOfMonth;
            result.month = parts[0];
            result.week = parts[1];
            result.day = parts[2];
        } else {
            const bool julian = take('J');
            const auto day = number(365);
            if (!day || (julian && *day < 1)) {
                return std::nullopt;
            }
            result.form = julian ? Form::julianWithoutLeapDay : Form::zeroBasedDay;
            result.day = *day;
        }
        if (take('/')) {
            const auto time = duration(167);
            if (!time) {
                return std::nullopt;
            }
            result.secondsOfDay = *time;
        }
        return result;
    }

private:
    std::string_view m_text;
    std::size_t m_position = 0;
};

std::int64_t daysSince1970(int year, const PosixTimeZoneRule::Change& change)
{
    using Form = PosixTimeZoneRule::Change::Form;
    const date::year y{year};
    date::sys_days day;
    switch (change.form) {
    case Form::julianWithoutLeapDay:
        day = date::sys_days(y / date::January / 1) + date::days(change.day - 1 + (y.is_leap() && change.day >= 60));
        break;
    case Form::zeroBasedDay:
        day = date::sys_days(y / date::January / 1) + date::days(change.day);
        break;
    case Form::weekdayOfMonth: {
        const date::month m(static_cast<unsigned>(change.month));
        const date::weekday weekday(static_cast<unsigned>(change.day));
        day = change.week == 5 ? date::sys_days(y / m / weekday[date::last])
                               : date::sys_days(y / m / weekday[static_cast<unsigned>(change.week)]);
        break;
    }
    }
    return day.time_since_epoch().count();
}

} // namespace

std::optional<PosixTimeZoneRule> PosixTimeZoneRule::parse(std::string_view text)
{
    Reader reader(text);
    PosixTimeZoneRule rule;
    if (!reader.name()) {
        return std::nullopt;
    }
    // POSIX counts offsets west of UTC as positive.
    const auto standard = reader.duration(24);
    if (!standard) {
        return std::nullopt;
    }
    rule.standardOffset = -*standard;
    if (reader.atEnd()) {
        return rule;
    }
    if (!reader.name()) {
        return std::nullopt;
    }
    Daylight daylight;
    daylight.offset = rule.standardOffset + 3600;
    if (!reader.atEnd() && !(reader.take(','))) {
        const auto offset = reader.duration(24);
        if (!offset) {
            return std::nullopt;
        }
        daylight.offset = -*offset;
        if (!reader.atEnd() && !reader.take(',')) {
            return std::nullopt;
        }
    }
    if (reader.atEnd()) {
        // No dates: the rule POSIX leaves to the implementation, which glibc takes from the United States.
        daylight.start = {Change::Form::weekdayOfMonth, 0, 3, 2, 7200};
        daylight.end = {Change::Form::weekdayOfMonth, 0, 11, 1, 7200};
    } else {
        const auto start = reader.change();
        const auto end = reader.take(',') ? reader.change() : std::nullopt;
        if (!start || !end || !reader.atEnd()) {
            return std::nullopt;
        }
        daylight.start = *start;
        daylight.end = *end;
    }
    rule.daylight = daylight;
    return rule;
}

std::array<PosixTimeZoneRule::Transition, 2> PosixTimeZoneRule::transitionsIn(int year) const
{
    const Daylight& dst = *daylight;
    Transition start{daysSince1970(year, dst.start) * 86400 + dst.start.secondsOfDay - standardOffset, dst.offset};
    Transition end{daysSince1970(year, dst.end) * 86400 + dst.end.secondsOfDay - dst.offset, standardOffset};
    if (end.at < start.at) {
        std::swap(start, end);
    }
    return {start, end};
}

} // namespace tavlen
