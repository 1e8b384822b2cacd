#include "ZonedCalendar.h"

#include <unicode/gregocal.h>

#include <cmath>
#include <mutex>

namespace tavlen {

struct ZonedCalendar::Impl
{
    std::unique_ptr<icu::Calendar> calendar;
};

namespace {

std::unique_ptr<icu::Calendar> makeCalendar(icu::TimeZone* zone)
{
    UErrorCode status = U_ZERO_ERROR;
    // The calendar adopts the zone.
    auto calendar = std::make_unique<icu::GregorianCalendar>(zone, status);
    if (U_FAILURE(status)) {
        throw ZonedCalendar::Failure();
    }
    calendar->setLenient(true);
    calendar->setSkippedWallTimeOption(UCAL_WALLTIME_NEXT_VALID);
    calendar->setRepeatedWallTimeOption(UCAL_WALLTIME_FIRST);
    return calendar;
}

void check(UErrorCode status)
{
    if (U_FAILURE(status)) {
        throw ZonedCalendar::Failure();
    }
}

double checkedTime(icu::Calendar& calendar)
{
    UErrorCode status = U_ZERO_ERROR;
    const double time = calendar.getTime(status);
    check(status);
    return time / 1000.0;
}

void setInstant(icu::Calendar& calendar, double instant)
{
    if (!std::isfinite(instant)) {
        throw ZonedCalendar::Failure();
    }
    UErrorCode status = U_ZERO_ERROR;
    calendar.setTime(instant * 1000.0, status);
    check(status);
}

int field(icu::Calendar& calendar, UCalendarDateFields which)
{
    UErrorCode status = U_ZERO_ERROR;
    const int value = calendar.get(which, status);
    check(status);
    return value;
}

} // namespace

ZonedCalendar::ZonedCalendar(std::unique_ptr<Impl> impl)
    : m_impl(std::move(impl))
{}

ZonedCalendar::ZonedCalendar(std::string_view zoneID)
    : m_impl(std::make_unique<Impl>())
{
    const auto id = icu::UnicodeString::fromUTF8(icu::StringPiece(zoneID.data(), static_cast<int32_t>(zoneID.size())));
    m_impl->calendar = makeCalendar(icu::TimeZone::createTimeZone(id));
}

ZonedCalendar ZonedCalendar::hostZone()
{
    // ICU resolves the host zone into one process-wide buffer without a lock of its own, while the scheduler's
    // database thread and the main thread both ask for the current zone.
    static std::mutex detection;
    icu::TimeZone* zone = nullptr;
    {
        const std::lock_guard lock(detection);
        zone = icu::TimeZone::detectHostTimeZone();
    }
    auto impl = std::make_unique<Impl>();
    impl->calendar = makeCalendar(zone);
    return ZonedCalendar(std::move(impl));
}

ZonedCalendar::ZonedCalendar(const ZonedCalendar& other)
    : m_impl(std::make_unique<Impl>())
{
    m_impl->calendar.reset(other.m_impl->calendar->clone());
}

ZonedCalendar& ZonedCalendar::operator=(const ZonedCalendar& other)
{
    if (this != &other) {
        m_impl->calendar.reset(other.m_impl->calendar->clone());
    }
    return *this;
}

ZonedCalendar::ZonedCalendar(ZonedCalendar&&) noexcept = default;
ZonedCalendar& ZonedCalendar::operator=(ZonedCalendar&&) noexcept = default;
ZonedCalendar::~ZonedCalendar() = default;

std::string ZonedCalendar::zoneID() const
{
    icu::UnicodeString id;
    m_impl->calendar->getTimeZone().getID(id);
    std::string result;
    id.toUTF8String(result);
    return result;
}

const icu::TimeZone& ZonedCalendar::timeZone() const
{
    return m_impl->calendar->getTimeZone();
}

int ZonedCalendar::weekday(double instant)
{
    setInstant(*m_impl->calendar, instant);
    return field(*m_impl->calendar, UCAL_DAY_OF_WEEK);
}

ZonedCalendar::DayFields ZonedCalendar::dayFields(double instant)
{
    auto& calendar = *m_impl->calendar;
    setInstant(calendar, instant);
    return DayFields{field(calendar, UCAL_EXTENDED_YEAR),
                     field(calendar, UCAL_MONTH) + 1,
                     field(calendar, UCAL_DATE),
                     field(calendar, UCAL_DAY_OF_WEEK)};
}

double ZonedCalendar::startOfDay(double instant)
{
    const DayFields fields = dayFields(instant);
    return startOfDay(fields.year, fields.month, fields.day);
}

double ZonedCalendar::startOfDay(int year, int month, int day)
{
    auto& calendar = *m_impl->calendar;
    calendar.clear();
    calendar.set(UCAL_EXTENDED_YEAR, year);
    calendar.set(UCAL_MONTH, month - 1);
    calendar.set(UCAL_DATE, day);
    calendar.set(UCAL_HOUR_OF_DAY, 0);
    return checkedTime(calendar);
}

double ZonedCalendar::startOfNextDay(double dayStart)
{
    const DayFields fields = dayFields(dayStart);
    return startOfDay(fields.year, fields.month, fields.day + 1);
}

double ZonedCalendar::timeOnDay(double dayStart, int minuteOfDay)
{
    return timeOnDay(dayFields(dayStart), minuteOfDay);
}

double ZonedCalendar::timeOnDay(const DayFields& fields, int minuteOfDay)
{
    if (minuteOfDay == 1440) {
        return startOfDay(fields.year, fields.month, fields.day + 1);
    }
    auto& calendar = *m_impl->calendar;
    calendar.clear();
    calendar.set(UCAL_EXTENDED_YEAR, fields.year);
    calendar.set(UCAL_MONTH, fields.month - 1);
    calendar.set(UCAL_DATE, fields.day);
    calendar.set(UCAL_HOUR_OF_DAY, minuteOfDay / 60);
    calendar.set(UCAL_MINUTE, minuteOfDay % 60);
    return checkedTime(calendar);
}

double ZonedCalendar::addingDays(double instant, int days)
{
    auto& calendar = *m_impl->calendar;
    setInstant(calendar, instant);
    UErrorCode status = U_ZERO_ERROR;
    calendar.add(UCAL_DATE, days, status);
    check(status);
    return checkedTime(calendar);
}

} // namespace tavlen
