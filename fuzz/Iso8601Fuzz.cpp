// Internet date-times: the parser accepts exactly what a plain reading of the format accepts, and gives the same
// instant.
#include "FuzzInput.h"
#include "Iso8601.h"

#include <cmath>
#include <cstdlib>
#include <string>

using namespace tavlen;

namespace {

bool digitsAt(std::string_view text, std::size_t at, std::size_t count)
{
    if (at + count > text.size()) {
        return false;
    }
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
    }
    return true;
}

int numberAt(std::string_view text, std::size_t at, std::size_t count)
{
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// Days from 1970-01-01 to the civil date (proleptic Gregorian).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

unsigned daysInMonth(int year, int month)
{
    static constexpr unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

struct Reference
{
    double wholeSeconds;
    std::string fraction; // digits after "."
};

std::optional<Reference> referenceParse(std::string_view text)
{
    if (!digitsAt(text, 0, 4) || text.size() < 20 || text[4] != '-' || !digitsAt(text, 5, 2) || text[7] != '-' ||
        !digitsAt(text, 8, 2) || text[10] != 'T' || !digitsAt(text, 11, 2) || text[13] != ':' ||
        !digitsAt(text, 14, 2) || text[16] != ':' || !digitsAt(text, 17, 2)) {
        return std::nullopt;
    }
    const int year = numberAt(text, 0, 4);
    const int month = numberAt(text, 5, 2);
    const int day = numberAt(text, 8, 2);
    const int hour = numberAt(text, 11, 2);
    const int minute = numberAt(text, 14, 2);
    const int second = numberAt(text, 17, 2);
    if (month < 1 || month > 12 || day < 1 || static_cast<unsigned>(day) > daysInMonth(year, month) || hour > 23 ||
        minute > 59 || second > 59) {
        return std::nullopt;
    }
    std::size_t at = 19;
    std::string fraction;
    if (text[at] == '.') {
        ++at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
            fraction += text[at++];
        }
        if (fraction.empty()) {
            return std::nullopt;
        }
    }
    int offsetMinutes = 0;
    if (at + 1 == text.size() && text[at] == 'Z') {
    } else if (at + 6 == text.size() && (text[at] == '+' || text[at] == '-') && digitsAt(text, at + 1, 2) &&
               text[at + 3] == ':' && digitsAt(text, at + 4, 2)) {
        const int offsetHours = numberAt(text, at + 1, 2);
        const int offsetMinute = numberAt(text, at + 4, 2);
        if (offsetHours > 23 || offsetMinute > 59) {
            return std::nullopt;
        }
        offsetMinutes = (offsetHours * 60 + offsetMinute) * (text[at] == '-' ? -1 : 1);
    } else {
        return std::nullopt;
    }
    const std::int64_t seconds = daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 +
                                 hour * 3600 + minute * 60 + second - std::int64_t{offsetMinutes} * 60;
    return Reference{static_cast<double>(seconds), fraction};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input = fuzz::textOf(data, size);
    const std::optional<Date> parsed = parseISO8601DateTime(input);
    const std::optional<Reference> reference = referenceParse(input);
    fuzz::require(parsed.has_value() == reference.has_value(), "the parser accepts what the reference accepts");
    if (parsed) {
        const double fraction =
            reference->fraction.empty() ? 0 : std::strtod(("0." + reference->fraction).c_str(), nullptr);
        const double expected = reference->wholeSeconds + fraction;
        // Within a microsecond, or a few units in the last place of seconds that far from 1970.
        const double tolerance = 1e-6 + std::fabs(expected) * 1e-15;
        fuzz::require(std::fabs(parsed->secondsSince1970() - expected) <= tolerance,
                      "the same instant as the reference");
    }
    return 0;
}
