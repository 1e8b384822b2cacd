#include "ChartTextInterval.h"

#include <unicode/fmtable.h>
#include <unicode/locid.h>
#include <unicode/measfmt.h>
#include <unicode/measunit.h>
#include <unicode/measure.h>

#include <array>
#include <memory>
#include <vector>

namespace tavlen {

std::optional<std::string> ChartTextInterval::durationText() const
{
    if (isOpenEnded) {
        return std::nullopt;
    }
    return chartDurationText(endMilliseconds - startMilliseconds);
}

std::string chartDurationText(std::int64_t milliseconds, const std::string& localeID)
{
    const std::int64_t seconds = milliseconds > 0 ? milliseconds / 1000 : 0;
    const std::array<std::int64_t, 4> amounts{seconds / 86'400, seconds / 3'600 % 24, seconds / 60 % 60, seconds % 60};
    const std::array<icu::MeasureUnit, 4> units{icu::MeasureUnit::getDay(),
                                                icu::MeasureUnit::getHour(),
                                                icu::MeasureUnit::getMinute(),
                                                icu::MeasureUnit::getSecond()};

    // The largest unit that is not zero and the one below it, unless that is zero; zero seconds for no time at all.
    std::size_t first = 0;
    while (first < amounts.size() - 1 && amounts[first] == 0) {
        ++first;
    }
    std::vector<std::size_t> shown{first};
    if (first + 1 < amounts.size() && amounts[first + 1] != 0) {
        shown.push_back(first + 1);
    }

    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale locale = localeID.empty() ? icu::Locale::getDefault() : icu::Locale(localeID.c_str());
    icu::MeasureFormat format(locale, UMEASFMT_WIDTH_NARROW, status);
    std::vector<icu::Measure> measures;
    for (const std::size_t index : shown) {
        measures.emplace_back(icu::Formattable(amounts[index]), units[index].clone(), status);
    }
    icu::UnicodeString text;
    icu::FieldPosition position;
    format.formatMeasures(measures.data(), static_cast<std::int32_t>(measures.size()), text, position, status);
    if (U_FAILURE(status)) {
        // Without locale data: the plain English abbreviations.
        static constexpr std::array<const char*, 4> symbols{"d", "h", "m", "s"};
        std::string plain;
        for (const std::size_t index : shown) {
            if (!plain.empty()) {
                plain += ' ';
            }
            plain += std::to_string(amounts[index]);
            plain += symbols[index];
        }
        return plain;
    }
    std::string result;
    text.toUTF8String(result);
    return result;
}

} // namespace tavlen
