#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tavlen {

class TimeZoneRules;

// The proleptic Gregorian calendar in one time zone of the system's tz database, working on instants in seconds
// since 1970 (double). Wall times that fall into a gap where clocks are put forward resolve to the first instant
// after the gap; wall times that exist twice resolve to the first of the two. Immutable and cheap to copy: one
// value serves every thread.
class ZonedCalendar
{
public:
    // Thrown for an instant that is not finite or lies more than about 15,000 years from 1970.
    struct Failure : std::runtime_error
    {
        Failure()
            : std::runtime_error("calendar computation failed")
        {}
    };

    struct DayFields
    {
        int year = 0;
        int month = 0; // 1 to 12
        int day = 0;
        int weekday = 0; // 1 (Sunday) to 7 (Saturday)
    };

    // The zone by IANA identifier; an identifier the tz database does not know gives GMT ("Etc/Unknown").
    explicit ZonedCalendar(std::string_view zoneID);
    // The host's current zone, detected afresh.
    static ZonedCalendar hostZone();

    const std::string& zoneID() const;

    // 1 (Sunday) to 7 (Saturday).
    int weekday(double instant) const { return dayFields(instant).weekday; }

    DayFields dayFields(double instant) const;

    // The first existing instant of the local day that contains the instant.
    double startOfDay(double instant) const;
    // The start of the given local day; fields outside their range roll over (month 13 is next January).
    double startOfDay(int year, int month, int day) const;

    double startOfDay(const DayFields& day) const { return startOfDay(day.year, day.month, day.day); }

    // The start of the local day after the one that starts at dayStart.
    double startOfNextDay(double dayStart) const;
    // The instant of minute of the day 0 to 1439 on the local day that starts at dayStart; 1440 is the start of
    // the next day.
    double timeOnDay(double dayStart, int minuteOfDay) const;
    double timeOnDay(const DayFields& day, int minuteOfDay) const;
    // The same local time a number of calendar days later.
    double addingDays(double instant, int days) const;

    // The local wall-clock time at an instant, in seconds since 1970 as if local time were UTC.
    double localTime(double instant) const;

private:
    std::shared_ptr<const TimeZoneRules> m_rules;
    explicit ZonedCalendar(std::shared_ptr<const TimeZoneRules> rules);
};

} // namespace tavlen
