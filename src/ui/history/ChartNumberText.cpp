#include "ChartNumberText.h"

#include <unicode/locid.h>
#include <unicode/numberformatter.h>

#include <charconv>
#include <cmath>
#include <system_error>

namespace tavlen::ui {

namespace {

std::string toUtf8(const icu::UnicodeString& text)
{
    std::string result;
    text.toUTF8String(result);
    return result;
}

} // namespace

std::string chartTickLabel(double value)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString text = icu::number::NumberFormatter::withLocale(icu::Locale())
                                        .notation(icu::number::Notation::compactShort())
                                        .precision(icu::number::Precision::minMaxSignificantDigits(1, 4))
                                        .formatDouble(value, status)
                                        .toString(status);
    return U_SUCCESS(status) ? toUtf8(text) : std::string();
}

std::string chartValueLabel(double value)
{
    if (!std::isfinite(value)) {
        return std::isnan(value) ? "NaN" : (value > 0 ? "∞" : "-∞");
    }
    // The shortest round-trip digits, handed to ICU as a decimal so it only groups them.
    char digits[32];
    const std::to_chars_result written = std::to_chars(digits, digits + sizeof digits, value);
    if (written.ec != std::errc()) {
        return {};
    }
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString text =
        icu::number::NumberFormatter::withLocale(icu::Locale("en_US"))
            .precision(icu::number::Precision::unlimited())
            .formatDecimal(icu::StringPiece(digits, static_cast<int32_t>(written.ptr - digits)), status)
            .toString(status);
    return U_SUCCESS(status) ? toUtf8(text) : std::string();
}

} // namespace tavlen::ui
