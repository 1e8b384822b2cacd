#pragma once

#include "Date.h"
#include "ScheduleRule.h"
#include "ScheduleState.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavlen {

class ZonedCalendar;

// One due occurrence of a schedule: when it falls due and, for an at-rule, its occurrence key.
struct ScheduleOccurrence
{
    Date due;
    std::optional<std::string> cursor;

    friend bool operator==(const ScheduleOccurrence&, const ScheduleOccurrence&) = default;
};

// The first check times from now on (at most three, ascending) and the number of checks within the next week.
struct SchedulePreview
{
    std::vector<Date> dates;
    int runs = 0;
};

// Turns a rule and a schedule state into the next due occurrence, in local wall-clock time of one zone on the
// Gregorian calendar. A value without shared state: copies can be used on any thread. Due times never lie past
// ScheduleState::distantFuture(), so they always fit the calendar and 64-bit milliseconds.
class ScheduleCalculator
{
public:
    // The zone by IANA identifier, with the rules of the system's tz database (an unknown identifier gives GMT).
    static ScheduleCalculator inZone(std::string_view zoneID);
    // The system's current zone, detected afresh from the host (TZ, else /etc/localtime).
    static ScheduleCalculator inCurrentZone();

    std::string timeZoneID() const;

    // The next occurrence at `now`: possibly due at or before `now` (also one that was missed), or later. None
    // only for an at-rule without a candidate in eight days. The rule is assumed valid.
    std::optional<ScheduleOccurrence>
    nextOccurrence(const ScheduleRule& rule, const ScheduleState& state, Date now) const;

    // A fresh state at `now`: token 1, no cursor; an every-rule is due one interval later, an at-rule at its next
    // scheduled time after `now`.
    ScheduleState startedState(const ScheduleRule& rule, Date now) const;

    // The state after `occurrence` fell due and was taken at `now`. Throws MonitorStoreError::invalidStoredData
    // when the token is already the largest 64-bit value.
    ScheduleState advancedState(const ScheduleRule& rule,
                                const ScheduleState& state,
                                const ScheduleOccurrence& occurrence,
                                Date now) const;

    // Descriptions for the schedule editor, in the user's current locale for times (LC_TIME) unless an ICU locale
    // identifier is given.

    // The short local time of a minute of the day (0 to 1439); 1440 is "midnight".
    std::string timeOfDayLabel(int minuteOfDay, std::string_view localeID = {}) const;
    // A one-line description: "Every 30 minutes, weekdays, 9:00 AM–5:00 PM". Does not validate the rule.
    std::string describe(const ScheduleRule& rule, std::string_view localeID = {}) const;
    // The first check times the scheduler would take from `now` on and the number of checks in the next 7 days;
    // nothing for an invalid rule. Without a state, one is started at `now`.
    SchedulePreview preview(const ScheduleRule& rule, const std::optional<ScheduleState>& state, Date now) const;

private:
    explicit ScheduleCalculator(std::shared_ptr<const ZonedCalendar> calendar);

    std::shared_ptr<const ZonedCalendar> m_calendar; // immutable, shared by copies
};

} // namespace tavlen
