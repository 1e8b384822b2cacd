#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <string>

namespace tavlen::ui {

// Where a formatter reads its conventions. Empty fields mean the user's: ICU's default locale and zone, which
// follow LANG/LC_* and TZ. Views pass nothing; tests and the few places that name a locale pass one.
struct FormatLocale
{
    std::string locale; // ICU locale id, e.g. "en_US", "de_DE"
    std::string zone;   // IANA zone id, e.g. "Europe/Berlin"
};

enum class DateStyle
{
    none,
    abbreviated, // "Jan 5, 2024"
    complete     // "Friday, January 5, 2024"
};

enum class TimeStyle
{
    none,
    shortened, // "3:04 PM"
    standard   // "3:04:05 PM"
};

// The text views show for a missing value ("—", spoken as "Unavailable").
inline QString missingValueText()
{
    return QString(QChar(0x2014));
}

// A moment (milliseconds since 1970) as date and/or time in the locale's styles and the zone.
QString formatDateTime(std::int64_t milliseconds, DateStyle date, TimeStyle time, const FormatLocale& place = {});
// Abbreviated date with standard time: what a moment reads as where nothing else is said.
QString formatMoment(std::int64_t milliseconds, const FormatLocale& place = {});

// The shortest digits that read back as the same double (0.1 reads "0.1"), at most 17 significant, grouped as
// the locale groups. Negative zero reads "0"; NaN and infinities read as ICU spells them.
QString formatNumber(double value, const FormatLocale& place = {});
// Compact notation with 1 to 4 significant digits, for axis ticks ("1.2K", "15M").
QString formatCompactNumber(double value, const FormatLocale& place = {});
// Exactly one fraction digit ("2.3").
QString formatOneFraction(double value, const FormatLocale& place = {});
// A whole number with the locale's grouping ("12,345").
QString formatInteger(std::int64_t value, const FormatLocale& place = {});

enum class DurationUnit
{
    days,
    hours,
    minutes,
    seconds,
    milliseconds
};

enum class DurationWidth
{
    narrow,     // "1h 5m"
    abbreviated // "1 hr, 5 min"
};

// A duration in English words of the units from largest to smallest: at most two units, units of value zero
// left out, whole units only (the smaller unit is truncated). A duration below the smallest unit reads as zero
// of that unit. Negative durations read as their magnitude.
QString formatDuration(std::int64_t milliseconds, DurationUnit largest, DurationUnit smallest, DurationWidth width);

enum class WeekdayWidth
{
    shortName, // "Mon"
    fullName   // "Monday"
};

// The locale's seven weekday names; index 0 is weekday number 1, Sunday.
QStringList weekdaySymbols(WeekdayWidth width, const FormatLocale& place = {});

} // namespace tavlen::ui
