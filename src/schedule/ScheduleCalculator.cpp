#include "ScheduleCalculator.h"

#include "MonitorStoreError.h"
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
    EveryRule(ZonedCalendar& calendar, const IntervalSchedule& rule)
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

    ZonedCalendar& m_calendar;
    const IntervalSchedule& m_rule;
    unsigned m_days;
};

Date nextEveryDue(ZonedCalendar& calendar, const IntervalSchedule& rule, const ScheduleState& state, Date now)
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

std::string occurrenceKey(const ZonedCalendar::DayFields& day, int minuteOfDay)
{
    char key[64];
    std::snprintf(
        key, sizeof key, "%04d%02d%02d%02d%02d", day.year, day.month, day.day, minuteOfDay / 60, minuteOfDay % 60);
    return key;
}

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
    ZonedCalendar::DayFields day;
};

std::optional<ScheduleOccurrence>
nextClockOccurrence(ZonedCalendar& calendar, const ClockSchedule& rule, const ScheduleState& state, Date now)
{
    try {
        const double enabledAt = clampedInstant(state.enabledAt);
        const double present = clampedInstant(now);
        double day = std::max(calendar.startOfDay(enabledAt), calendar.startOfDay(present));
        if (const auto cursor = cursorDay(state.cursor)) {
            day = std::max(day, calendar.startOfDay(cursor->year, cursor->month, cursor->day));
        }
        auto times = rule.minutesOfDay;
        std::sort(times.begin(), times.end());
        const unsigned days = weekdayMask(rule.weekdays);
        std::vector<Candidate> candidates;
        candidates.reserve(times.size());
        for (int i = 0; i < 8 && day <= distantFuture; ++i, day = calendar.startOfNextDay(day)) {
            const auto fields = calendar.dayFields(day);
            if (!((days >> fields.weekday) & 1u)) {
                continue;
            }
            candidates.clear();
            for (int minute : times) {
                const double due = calendar.timeOnDay(fields, minute);
                if (due > enabledAt && (!state.cursor || *state.cursor < occurrenceKey(fields, minute))) {
                    candidates.push_back({due, minute, fields});
                }
            }
            if (candidates.empty()) {
                continue;
            }
            // The latest missed time of the day stands for all of that day's missed times.
            auto chosen = std::find_if(candidates.rbegin(), candidates.rend(), [&](const Candidate& c) {
                              return c.due <= present;
                          }).base();
            if (chosen != candidates.begin()) {
                --chosen;
            } else {
                // Times that a daylight-saving gap moves onto the same instant fall due once, with the larger key.
                chosen = candidates.begin();
                while (std::next(chosen) != candidates.end() && std::next(chosen)->due == candidates.front().due) {
                    ++chosen;
                }
            }
            return ScheduleOccurrence{fromSeconds(chosen->due), occurrenceKey(chosen->day, chosen->minuteOfDay)};
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
    ZonedCalendar calendar(*m_calendar);
    if (const auto* every = rule.interval()) {
        return ScheduleOccurrence{nextEveryDue(calendar, *every, state, now), std::nullopt};
    }
    return nextClockOccurrence(calendar, *rule.clock(), state, now);
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

} // namespace tavlen
