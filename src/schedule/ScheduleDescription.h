#pragma once

#include "Date.h"
#include "ScheduleRule.h"
#include "ScheduleState.h"

#include <optional>
#include <string>
#include <string_view>

namespace tavlen {

class ScheduleCalculator;
class ZonedCalendar;
struct SchedulePreview;

// The schedule editor's texts and preview, which ScheduleCalculator offers for its zone. Times and day names are
// in the user's current locale for times (LC_TIME) unless an ICU locale identifier is given.
namespace schedule_description {

// The short local time of a minute of the day (0 to 1439) in the calendar's zone; 1440 is "midnight".
std::string timeOfDayLabel(const ZonedCalendar& calendar, int minuteOfDay, std::string_view localeID);

// A one-line description: "Every 30 minutes, weekdays, 9:00 AM–5:00 PM". Does not validate the rule.
std::string describe(const ZonedCalendar& calendar, const ScheduleRule& rule, std::string_view localeID);

// The first check times the calculator's scheduler would take from `now` on and the number of checks in the next
// 7 days of the calendar; nothing for an invalid rule. Without a state, one is started at `now`.
SchedulePreview preview(const ScheduleCalculator& calculator,
                        const ZonedCalendar& calendar,
                        const ScheduleRule& rule,
                        const std::optional<ScheduleState>& state,
                        Date now);

} // namespace schedule_description
} // namespace tavlen
