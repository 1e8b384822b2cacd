#include "Formatting.h"

#include <unicode/datefmt.h>
#include <unicode/dtfmtsym.h>
#include <unicode/measfmt.h>
#include <unicode/measunit.h>
#include <unicode/measure.h>
#include <unicode/numberformatter.h>
#include <unicode/timezone.h>

#include <array>
#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

namespace tavlen::ui {

namespace {

namespace number = icu::number;

QString fromUnicode(const icu::UnicodeString& text)
{
    return QString::fromUtf16(text.getBuffer(), text.length());
}

icu::Locale localeOf(const FormatLocale& place)
{
    return place.locale.empty() ? icu::Locale::getDefault() : icu::Locale(place.locale.c_str());
}

icu::DateFormat::EStyle icuStyle(DateStyle style)
{
    switch (style) {
    case DateStyle::none:
        return icu::DateFormat::kNone;
    case DateStyle::abbreviated:
        return icu::DateFormat::kMedium;
    case DateStyle::complete:
        return icu::DateFormat::kFull;
    }
    return icu::DateFormat::kNone;
}

icu::DateFormat::EStyle icuStyle(TimeStyle style)
{
    switch (style) {
    case TimeStyle::none:
        return icu::DateFormat::kNone;
    case TimeStyle::shortened:
        return icu::DateFormat::kShort;
    case TimeStyle::standard:
        return icu::DateFormat::kMedium;
    }
    return icu::DateFormat::kNone;
}

// ICU date formatters are costly to make and not safe to share between threads: one per thread and setting.
icu::DateFormat* dateFormat(DateStyle date, TimeStyle time, const FormatLocale& place)
{
    thread_local std::map<std::string, std::unique_ptr<icu::DateFormat>> formats;
    const icu::Locale locale = localeOf(place);
    icu::UnicodeString zoneID;
    if (place.zone.empty()) {
        std::unique_ptr<icu::TimeZone>(icu::TimeZone::createDefault())->getID(zoneID);
    } else {
        zoneID = icu::UnicodeString::fromUTF8(place.zone);
    }
    std::string zoneName;
    zoneID.toUTF8String(zoneName);
    const std::string key = std::string(locale.getName()) + '|' + zoneName + '|' +
                            std::to_string(static_cast<int>(date)) + std::to_string(static_cast<int>(time));
    auto& format = formats[key];
    if (!format) {
        format.reset(icu::DateFormat::createDateTimeInstance(icuStyle(date), icuStyle(time), locale));
        if (format) {
            format->adoptTimeZone(icu::TimeZone::createTimeZone(zoneID));
        }
    }
    return format.get();
}

QString formatWith(const number::LocalizedNumberFormatter& formatter, double value)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString text = formatter.formatDouble(value, status).toString(status);
    return U_SUCCESS(status) ? fromUnicode(text) : QString::number(value);
}

icu::MeasureUnit* createUnit(DurationUnit unit, UErrorCode& status)
{
    switch (unit) {
    case DurationUnit::days:
        return icu::MeasureUnit::createDay(status);
    case DurationUnit::hours:
        return icu::MeasureUnit::createHour(status);
    case DurationUnit::minutes:
        return icu::MeasureUnit::createMinute(status);
    case DurationUnit::seconds:
        return icu::MeasureUnit::createSecond(status);
    case DurationUnit::milliseconds:
        return icu::MeasureUnit::createMillisecond(status);
    }
    return nullptr;
}

constexpr std::array<std::int64_t, 5> unitMilliseconds{86'400'000, 3'600'000, 60'000, 1'000, 1};

} // namespace

QString formatDateTime(std::int64_t milliseconds, DateStyle date, TimeStyle time, const FormatLocale& place)
{
    if (date == DateStyle::none && time == TimeStyle::none) {
        return {};
    }
    icu::DateFormat* format = dateFormat(date, time, place);
    if (!format) {
        return {};
    }
    icu::UnicodeString text;
    format->format(static_cast<UDate>(milliseconds), text);
    return fromUnicode(text);
}

QString formatMoment(std::int64_t milliseconds, const FormatLocale& place)
{
    return formatDateTime(milliseconds, DateStyle::abbreviated, TimeStyle::standard, place);
}

QString formatNumber(double value, const FormatLocale& place)
{
    // ICU starts from the shortest round-trip digits of the double, so the 17-digit cap never adds noise.
    const auto formatter = number::NumberFormatter::withLocale(localeOf(place))
                               .precision(number::Precision::minMaxSignificantDigits(1, 17));
    return formatWith(formatter, value == 0 ? 0.0 : value);
}

QString formatCompactNumber(double value, const FormatLocale& place)
{
    const auto formatter = number::NumberFormatter::withLocale(localeOf(place))
                               .notation(number::Notation::compactShort())
                               .precision(number::Precision::minMaxSignificantDigits(1, 4));
    return formatWith(formatter, value == 0 ? 0.0 : value);
}

QString formatOneFraction(double value, const FormatLocale& place)
{
    const auto formatter =
        number::NumberFormatter::withLocale(localeOf(place)).precision(number::Precision::fixedFraction(1));
    return formatWith(formatter, value);
}

QString formatInteger(std::int64_t value, const FormatLocale& place)
{
    UErrorCode status = U_ZERO_ERROR;
    const auto formatter = number::NumberFormatter::withLocale(localeOf(place));
    const icu::UnicodeString text = formatter.formatInt(value, status).toString(status);
    return U_SUCCESS(status) ? fromUnicode(text) : QString::number(value);
}

QString formatDuration(std::int64_t milliseconds, DurationUnit largest, DurationUnit smallest, DurationWidth width)
{
    const auto first = static_cast<std::size_t>(largest);
    const auto last = std::max(first, static_cast<std::size_t>(smallest));
    std::uint64_t rest =
        milliseconds < 0 ? 0 - static_cast<std::uint64_t>(milliseconds) : static_cast<std::uint64_t>(milliseconds);
    std::vector<std::pair<std::size_t, std::int64_t>> shown;
    for (std::size_t unit = first; unit <= last && shown.size() < 2; ++unit) {
        const auto size = static_cast<std::uint64_t>(unitMilliseconds[unit]);
        const std::uint64_t count = rest / size;
        rest %= size;
        if (count > 0) {
            shown.emplace_back(unit, static_cast<std::int64_t>(count));
        } else if (!shown.empty()) {
            break; // at most two units, and they are adjacent in size: "1h 5s" would mislead
        }
    }
    if (shown.empty()) {
        shown.emplace_back(last, 0);
    }
    UErrorCode status = U_ZERO_ERROR;
    const icu::MeasureFormat format(icu::Locale::getEnglish(),
                                    width == DurationWidth::narrow ? UMEASFMT_WIDTH_NARROW : UMEASFMT_WIDTH_SHORT,
                                    status);
    std::vector<icu::Measure> measures;
    measures.reserve(shown.size());
    for (const auto& [unit, count] : shown) {
        measures.emplace_back(icu::Formattable(count), createUnit(static_cast<DurationUnit>(unit), status), status);
    }
    icu::UnicodeString text;
    icu::FieldPosition position;
    format.formatMeasures(measures.data(), static_cast<int32_t>(measures.size()), text, position, status);
    return U_SUCCESS(status) ? fromUnicode(text) : QString();
}

QStringList weekdaySymbols(WeekdayWidth width, const FormatLocale& place)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::DateFormatSymbols symbols(localeOf(place), status);
    int32_t count = 0;
    const icu::UnicodeString* names = symbols.getWeekdays(
        count,
        icu::DateFormatSymbols::FORMAT,
        width == WeekdayWidth::shortName ? icu::DateFormatSymbols::ABBREVIATED : icu::DateFormatSymbols::WIDE);
    QStringList result;
    // ICU's list is indexed by UCAL_SUNDAY (1) … UCAL_SATURDAY (7); entry 0 is empty.
    for (int32_t day = 1; U_SUCCESS(status) && day < count && day <= 7; ++day) {
        result.append(fromUnicode(names[day]));
    }
    return result;
}

} // namespace tavlen::ui
