#include "ZonedCalendar.h"

#include "HostTimeZone.h"
#include "TimeZoneRules.h"

#include <date/date.h>

#include <cmath>

namespace tavlen {

namespace {

constexpr std::int64_t secondsPerDay = 86400;
// About 15,800 years either side of 1970: far beyond any date a schedule meets, well within the calendar's years.
constexpr double instantLimit = 5e11;
constexpr std::int64_t yearLimit = 20000;

double checked(double instant)
{
    if (!std::isfinite(instant) || std::fabs(instant) > instantLimit) {
        throw ZonedCalendar::Failure();
    }
    return instant;
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// Days since 1970 of a date whose month and day may lie outside their ranges.
std::int64_t dayNumber(int year, int month, int day)
{
    const std::int64_t months = static_cast<std::int64_t>(year) * 12 + (month - 1);
    const std::int64_t normalYear = floorDiv(months, 12);
    if (normalYear < -yearLimit || normalYear > yearLimit) {
        throw ZonedCalendar::Failure();
    }
    const auto firstOfMonth = date::sys_days(date::year{static_cast<int>(normalYear)} /
                                             date::month{static_cast<unsigned>(months - normalYear * 12 + 1)} / 1);
    return firstOfMonth.time_since_epoch().count() + (static_cast<std::int64_t>(day) - 1);
}

} // namespace

ZonedCalendar::ZonedCalendar(std::shared_ptr<const TimeZoneRules> rules)
    : m_rules(std::move(rules))
{}

ZonedCalendar::ZonedCalendar(std::string_view zoneID)
    : m_rules(TimeZoneRules::forZone(zoneID))
{}

ZonedCalendar ZonedCalendar::hostZone()
{
    return ZonedCalendar(TimeZoneRules::forZone(hostTimeZoneID()));
}

const std::string& ZonedCalendar::zoneID() const
{
    return m_rules->zoneID();
}

double ZonedCalendar::localTime(double instant) const
{
    return checked(instant) + m_rules->offsetAt(static_cast<std::int64_t>(std::floor(instant)));
}

ZonedCalendar::DayFields ZonedCalendar::dayFields(double instant) const
{
    const auto day = date::sys_days(date::days(static_cast<int>(std::floor(localTime(instant) / secondsPerDay))));
    const date::year_month_day date(day);
    return DayFields{static_cast<int>(date.year()),
                     static_cast<int>(static_cast<unsigned>(date.month())),
                     static_cast<int>(static_cast<unsigned>(date.day())),
                     static_cast<int>(date::weekday(day).c_encoding()) + 1};
}

double ZonedCalendar::startOfDay(double instant) const
{
    const auto day = static_cast<std::int64_t>(std::floor(localTime(instant) / secondsPerDay));
    return static_cast<double>(m_rules->instantOfLocalTime(day * secondsPerDay));
}

double ZonedCalendar::startOfDay(int year, int month, int day) const
{
    return static_cast<double>(m_rules->instantOfLocalTime(dayNumber(year, month, day) * secondsPerDay));
}

double ZonedCalendar::startOfNextDay(double dayStart) const
{
    const auto day = static_cast<std::int64_t>(std::floor(localTime(dayStart) / secondsPerDay));
    return static_cast<double>(m_rules->instantOfLocalTime((day + 1) * secondsPerDay));
}

double ZonedCalendar::timeOnDay(double dayStart, int minuteOfDay) const
{
    const auto day = static_cast<std::int64_t>(std::floor(localTime(dayStart) / secondsPerDay));
    return static_cast<double>(m_rules->instantOfLocalTime(day * secondsPerDay + minuteOfDay * 60));
}

double ZonedCalendar::timeOnDay(const DayFields& day, int minuteOfDay) const
{
    return static_cast<double>(
        m_rules->instantOfLocalTime(dayNumber(day.year, day.month, day.day) * secondsPerDay + minuteOfDay * 60));
}

double ZonedCalendar::addingDays(double instant, int days) const
{
    const double local = localTime(instant) + static_cast<double>(days) * secondsPerDay;
    const double whole = std::floor(checked(local));
    const auto wholeLocal = static_cast<std::int64_t>(whole);
    const std::int64_t resolved = m_rules->instantOfLocalTime(wholeLocal);
    if (resolved + m_rules->offsetAt(resolved) != wholeLocal) {
        // Skipped by the clocks: the first instant after the gap.
        return static_cast<double>(resolved);
    }
    return static_cast<double>(resolved) + (local - whole);
}

} // namespace tavlen
