#include "NumericInputParsers.h"

#include "Digits.h"
#include "Utf8.h"

#include <locale.h>

#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace tavlen {

namespace {

// The POSIX locale, so the user's locale never changes the decimal point.
locale_t posixLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

} // namespace

std::optional<std::int64_t> parseWholeNumber(std::string_view text)
{
    const std::string_view digits = trimWhitespaceAndNewlines(text);
    if (digits.empty() || containsNonDigit(digits)) {
        return std::nullopt;
    }
    constexpr std::int64_t maximum = std::numeric_limits<std::int64_t>::max();
    std::int64_t value = 0;
    for (const char c : digits) {
        const int digit = c - '0';
        if (value > (maximum - digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 + digit;
    }
    return value;
}

std::optional<double> parsePositiveDecimal(std::string_view text)
{
    const std::string trimmed(trimWhitespaceAndNewlines(text));
    const locale_t locale = posixLocale();
    if (trimmed.empty() || locale == static_cast<locale_t>(nullptr)) {
        return std::nullopt;
    }
    char* end = nullptr;
    errno = 0;
    const double value = strtod_l(trimmed.c_str(), &end, locale);
    // An embedded NUL stops strtod early, so it also fails the whole-text test.
    if (end != trimmed.c_str() + trimmed.size() || errno == ERANGE) {
        return std::nullopt;
    }
    if (!std::isfinite(value) || !(value > 0)) {
        return std::nullopt;
    }
    return value;
}

} // namespace tavlen
