#include "ScheduleCalculator.h"

#include "MonitorStoreError.h"
#include "ScheduleDescription.h"
#include "ZonedCalendar.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

namespace tavlen {

namespace {

const double distantFuture = ScheduleState::distantFuture().secondsSince1970();
const double distantPast = ScheduleState::distantPast().secondsSince1970();

// Keeps every instant handed to the calendar inside its range; a not-a-number counts as never.
double clampedInstant(Date date)
{
    const double seconds = date.secondsSince1970();
    if (std::isnan(seconds) || seconds > distantFuture) {
        return distantFuture;
    }
    return std::max(seconds, distantPast);
}

Date fromSeconds(double seconds)
{
    return Date::fromSecondsSince1970(seconds);
}

// `now` plus the interval, clamped to the distant future so that the sum never leaves the calendar's range or
// the range of 64-bit milliseconds.
Date addingInterval(Date now, std::int64_t minutes)
{
    const double due = now.secondsSince1970() + static_cast<double>(minutes) * 60.0;
    if (std::isnan(due) || due > distantFuture) {
        return ScheduleState::distantFuture();
    }
    return fromSeconds(due);
}

unsigned weekdayMask(const WeekdaySet& weekdays)
{
    unsigned mask = 0;
    for (int day : weekdays) {
        if (day >= 1 && day <= 7) {
            mask |= 1u << day;
        }
    }
    return mask;
}

class EveryRule
{
public:
    EveryRule(const ZonedCalendar& calendar, const IntervalSchedule& rule)
        : m_calendar(calendar)
        , m_rule(rule)
        , m_days(weekdayMask(rule.weekdays))
    {}

    bool isAllowed(double t) { return isAllowed(t, m_calendar.dayFields(t)); }

    // The earliest allowed instant at or after t within eight days, else the distant future.
    double aligned(double t)
    {
        auto day = m_calendar.dayFields(t);
        if (isAllowed(t, day)) {
            return t;
        }
        for (int i = 0; i < 8; ++i) {
            if (hasDay(day.weekday)) {
                const double candidate = m_rule.window ? m_calendar.timeOnDay(day, m_rule.window->startMinuteOfDay)
                                                       : m_calendar.startOfDay(day);
                if (candidate >= t && isAllowed(candidate)) {
                    return candidate;
                }
            }
            day = m_calendar.dayFields(m_calendar.startOfDay(day.year, day.month, day.day + 1));
        }
        return distantFuture;
    }

private:
    bool hasDay(int weekday) const { return (m_days >> weekday) & 1u; }

    // t with the fields of its local day.
    bool isAllowed(double t, const ZonedCalendar::DayFields& day)
    {
        if (!hasDay(day.weekday)) {
            return false;
        }
        if (!m_rule.window) {
            return true;
        }
        return t >= m_calendar.timeOnDay(day, m_rule.window->startMinuteOfDay) &&
               t < m_calendar.timeOnDay(day, m_rule.window->endMinuteOfDay);
    }

    const ZonedCalendar& m_calendar;
    const IntervalSchedule& m_rule;
    unsigned m_days;
};

Date nextEveryDue(const ZonedCalendar& calendar, const IntervalSchedule& rule, const ScheduleState& state, Date now)
{
    try {
        EveryRule every(calendar, rule);
        const double nextDue = clampedInstant(state.nextDue);
        const double present = clampedInstant(now);
        const double overdue = every.aligned(nextDue);
        if (overdue <= present && every.isAllowed(present)) {
            // An aligned instant equal to the state's own keeps its exact value.
            return overdue == nextDue ? state.nextDue : fromSeconds(overdue);
        }
        const double due = every.aligned(std::max(present, nextDue));
        return fromSeconds(std::min(due, distantFuture));
    } catch (const ZonedCalendar::Failure&) {
        return ScheduleState::distantFuture();
    }
}

// The occurrence key "%04d%02d%02d%02d%02d" of a scheduled time on a day, without the cost of a formatted print:
// the calculator builds one for every candidate.
class OccurrenceKey
{
public:
    OccurrenceKey(const ZonedCalendar::DayFields& day, int minuteOfDay)
    {
        if (day.year < 0 || day.year > 9999) {
            // Outside the calendar's four-digit years, as the formatted print would write it.
            m_size = static_cast<std::size_t>(std::snprintf(m_text,
                                                            sizeof m_text,
                                                            "%04d%02d%02d%02d%02d",
                                                            day.year,
                                                            day.month,
                                                            day.day,
                                                            minuteOfDay / 60,
                                                            minuteOfDay % 60));
            return;
        }
        put(0, 4, day.year);
        put(4, 2, day.month);
        put(6, 2, day.day);
        put(8, 2, minuteOfDay / 60);
        put(10, 2, minuteOfDay % 60);
        m_size = 12;
    }

    std::string_view text() const { return {m_text, m_size}; }

private:
    void put(std::size_t at, std::size_t width, int value)
    {
        for (std::size_t i = at + width; i > at; --i) {
            m_text[i - 1] = static_cast<char>('0' + value % 10);
            value /= 10;
        }
    }

    char m_text[64];
    std::size_t m_size = 0;
};

// The day a cursor names: twelve characters whose first eight are the digits of year, month and day.
std::optional<ZonedCalendar::DayFields> cursorDay(const std::optional<std::string>& cursor)
{
    if (!cursor || cursor->size() != 12) {
        return std::nullopt;
    }
    const auto number = [&](std::size_t from, std::size_t count) -> std::optional<int> {
        int value = 0;
        for (std::size_t i = from; i < from + count; ++i) {
            const char c = (*cursor)[i];
            if (c < '0' || c > '9') {
                return std::nullopt;
            }
            value = value * 10 + (c - '0');
        }
        return value;
    };
    const auto year = number(0, 4);
    const auto month = number(4, 2);
    const auto day = number(6, 2);
    if (!year || !month || !day) {
        return std::nullopt;
    }
    return ZonedCalendar::DayFields{*year, *month, *day};
}

struct Candidate
{
    double due;
    int minuteOfDay;
};

// The occurrence of one allowed day, with the times of the rule in ascending order; none when no time is left.
std::optional<Candidate> dayOccurrence(const ZonedCalendar& calendar,
                                       const ZonedCalendar::DayFields& day,
                                       const std::vector<int>& times,
                                       const ScheduleState& state,
                                       double enabledAt,
                                       double present)
{
    std::optional<Candidate> lastMissed;
    std::optional<Candidate> first;
    std::optional<Candidate> lastAtFirstTime;
    for (int minute : times) {
        const double due = calendar.timeOnDay(day, minute);
        if (due <= enabledAt || (state.cursor && !(*state.cursor < OccurrenceKey(day, minute).text()))) {
            continue;
        }
        if (due <= present) {
            lastMissed = Candidate{due, minute};
        } else if (!first) {
            first = lastAtFirstTime = Candidate{due, minute};
        } else if (due == first->due) {
            lastAtFirstTime = Candidate{due, minute};
        }
    }
    // The latest missed time of the day stands for all of that day's missed times. Otherwise times that a
    // daylight-saving gap moves onto the same instant fall due once, with the larger key.
    return lastMissed ? lastMissed : lastAtFirstTime;
}

std::optional<ScheduleOccurrence>
nextClockOccurrence(const ZonedCalendar& calendar, const ClockSchedule& rule, const ScheduleState& state, Date now)
{
    try {
        const double enabledAt = clampedInstant(state.enabledAt);
        const double present = clampedInstant(now);
        double day = std::max(calendar.startOfDay(enabledAt), calendar.startOfDay(present));
        if (const auto cursor = cursorDay(state.cursor)) {
            day = std::max(day, calendar.startOfDay(cursor->year, cursor->month, cursor->day));
        }
        std::vector<int> sorted;
        const std::vector<int>* times = &rule.minutesOfDay;
        if (!std::is_sorted(times->begin(), times->end())) {
            sorted = rule.minutesOfDay;
            std::sort(sorted.begin(), sorted.end());
            times = &sorted;
        }
        const unsigned days = weekdayMask(rule.weekdays);
        for (int i = 0; i < 8 && day <= distantFuture; ++i, day = calendar.startOfNextDay(day)) {
            const auto fields = calendar.dayFields(day);
            if (!((days >> fields.weekday) & 1u)) {
                continue;
            }
            if (const auto chosen = dayOccurrence(calendar, fields, *times, state, enabledAt, present)) {
                return ScheduleOccurrence{fromSeconds(chosen->due),
                                          std::string(OccurrenceKey(fields, chosen->minuteOfDay).text())};
            }
        }
    } catch (const ZonedCalendar::Failure&) {
    }
    return std::nullopt;
}

} // namespace

ScheduleCalculator::ScheduleCalculator(std::shared_ptr<const ZonedCalendar> calendar)
    : m_calendar(std::move(calendar))
{}

ScheduleCalculator ScheduleCalculator::inZone(std::string_view zoneID)
{
    return ScheduleCalculator(std::make_shared<const ZonedCalendar>(zoneID));
}

ScheduleCalculator ScheduleCalculator::inCurrentZone()
{
    return ScheduleCalculator(std::make_shared<const ZonedCalendar>(ZonedCalendar::hostZone()));
}

std::string ScheduleCalculator::timeZoneID() const
{
    return m_calendar->zoneID();
}

std::optional<ScheduleOccurrence>
ScheduleCalculator::nextOccurrence(const ScheduleRule& rule, const ScheduleState& state, Date now) const
{
    if (const auto* every = rule.interval()) {
        return ScheduleOccurrence{nextEveryDue(*m_calendar, *every, state, now), std::nullopt};
    }
    return nextClockOccurrence(*m_calendar, *rule.clock(), state, now);
}

ScheduleState ScheduleCalculator::startedState(const ScheduleRule& rule, Date now) const
{
    ScheduleState state{1, now, now, std::nullopt};
    if (const auto* every = rule.interval()) {
        state.nextDue = addingInterval(now, every->minutes);
        return state;
    }
    const auto occurrence = nextOccurrence(rule, state, now);
    state.nextDue = occurrence ? occurrence->due : ScheduleState::distantFuture();
    return state;
}

ScheduleState ScheduleCalculator::advancedState(const ScheduleRule& rule,
                                                const ScheduleState& state,
                                                const ScheduleOccurrence& occurrence,
                                                Date now) const
{
    if (state.token == std::numeric_limits<std::int64_t>::max()) {
        throw MonitorStoreError::invalidStoredData();
    }
    ScheduleState next = state;
    next.token = state.token + 1;
    if (const auto* every = rule.interval()) {
        next.nextDue = addingInterval(now, every->minutes);
        return next;
    }
    next.cursor = occurrence.cursor;
    const auto following = nextOccurrence(rule, next, now);
    next.nextDue = following ? following->due : ScheduleState::distantFuture();
    return next;
}

std::string ScheduleCalculator::timeOfDayLabel(int minuteOfDay, std::string_view localeID) const
{
    return schedule_description::timeOfDayLabel(*m_calendar, minuteOfDay, localeID);
}

std::string ScheduleCalculator::describe(const ScheduleRule& rule, std::string_view localeID) const
{
    return schedule_description::describe(*m_calendar, rule, localeID);
}

SchedulePreview
ScheduleCalculator::preview(const ScheduleRule& rule, const std::optional<ScheduleState>& state, Date now) const
{
    return schedule_description::preview(*this, *m_calendar, rule, state, now);
}

} // namespace tavlen
