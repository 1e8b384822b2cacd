#pragma once

#include <unicode/timezone.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tavlen {

// A Gregorian calendar in one time zone, working on instants in seconds since 1970 (double). Wall times
// that fall into a daylight-saving gap resolve to the first instant after the gap; wall times that exist twice
// resolve to the first of the two. Not thread-safe: each computation works on its own copy.
class ZonedCalendar
{
public:
    // Thrown when the calendar cannot compute a date (out of its range).
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

    // The zone by IANA identifier; an unknown identifier gives GMT, as ICU does.
    explicit ZonedCalendar(std::string_view zoneID);
    // The host's current zone, detected afresh.
    static ZonedCalendar hostZone();

    ZonedCalendar(const ZonedCalendar& other);
    ZonedCalendar& operator=(const ZonedCalendar& other);
    ZonedCalendar(ZonedCalendar&&) noexcept;
    ZonedCalendar& operator=(ZonedCalendar&&) noexcept;
    ~ZonedCalendar();

    std::string zoneID() const;

    // 1 (Sunday) to 7 (Saturday).
    int weekday(double instant);
    DayFields dayFields(double instant);

    // The first existing instant of the local day that contains the instant.
    double startOfDay(double instant);
    // The start of the given local day; fields outside their range roll over (month 13 is next January).
    double startOfDay(int year, int month, int day);

    double startOfDay(const DayFields& day) { return startOfDay(day.year, day.month, day.day); }

    // The start of the local day after the one that starts at dayStart.
    double startOfNextDay(double dayStart);
    // The instant of minute of the day 0 to 1439 on the local day that starts at dayStart; 1440 is the start of
    // the next day.
    double timeOnDay(double dayStart, int minuteOfDay);
    double timeOnDay(const DayFields& day, int minuteOfDay);
    // The same local time a number of calendar days later.
    double addingDays(double instant, int days);

    // The zone, for formatters that show times in it.
    const icu::TimeZone& timeZone() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    explicit ZonedCalendar(std::unique_ptr<Impl> impl);
};

} // namespace tavlen
