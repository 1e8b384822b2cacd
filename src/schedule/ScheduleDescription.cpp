#include "ScheduleDescription.h"

#include "MonitorStoreError.h"
#include "ScheduleCalculator.h"
#include "ZonedCalendar.h"

#include <unicode/datefmt.h>
#include <unicode/dtfmtsym.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <memory>

namespace tavlen::schedule_description {

namespace {

// 2023-11-14T22:13:20Z: labels are taken on the local day holding this instant, so they never depend on the day
// on which they are shown.
constexpr double labelReferenceInstant = 1700000000.0;
// One step per minute of a week, and a few more.
constexpr int previewStepLimit = 7 * 24 * 60 + 4;
constexpr int previewDateCount = 3;

// "de_DE.UTF-8@euro" as ICU knows it ("de_DE"); empty for the POSIX locale, which names no user choice.
std::string icuLocaleID(std::string_view posixName)
{
    const std::string_view id = posixName.substr(0, posixName.find_first_of(".@"));
    if (id == "C" || id == "POSIX") {
        return {};
    }
    return std::string(id);
}

// The user's conventions for times and day names. On this desktop the formats region is LC_TIME, which may differ
// from the language that ICU's default locale follows (LC_MESSAGES). The process locale as the application set it
// up comes first; when that is the POSIX locale (the user's locale is not installed, or none was set up) the
// environment says what the user chose.
icu::Locale userTimeLocale()
{
    if (const char* current = std::setlocale(LC_TIME, nullptr); current != nullptr) {
        if (auto id = icuLocaleID(current); !id.empty()) {
            return icu::Locale(id.c_str());
        }
    }
    for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value == nullptr || *value == '\0') {
            continue;
        }
        if (auto id = icuLocaleID(value); !id.empty()) {
            return icu::Locale(id.c_str());
        }
        break; // a set variable hides the later ones, even when it names the POSIX locale
    }
    return icu::Locale::getDefault();
}

icu::Locale localeFor(std::string_view localeID)
{
    if (localeID.empty()) {
        return userTimeLocale();
    }
    return icu::Locale(std::string(localeID).c_str());
}

std::string utf8(const icu::UnicodeString& text)
{
    std::string result;
    text.toUTF8String(result);
    return result;
}

std::string frequencyPart(std::int64_t minutes)
{
    std::int64_t count = minutes / 60;
    const char* unit = "hour";
    if (minutes % 1440 == 0) {
        count = minutes / 1440;
        unit = "day";
    } else if (minutes % 60 != 0) {
        count = minutes;
        unit = "minute";
    }
    return "Every " + std::to_string(count) + " " + unit + (count == 1 ? "" : "s");
}

std::string daysPart(const WeekdaySet& weekdays, const icu::Locale& locale)
{
    if (weekdays == WeekdaySet{1, 2, 3, 4, 5, 6, 7}) {
        return "every day";
    }
    if (weekdays == WeekdaySet{2, 3, 4, 5, 6}) {
        return "weekdays";
    }
    UErrorCode status = U_ZERO_ERROR;
    const icu::DateFormatSymbols symbols(locale, status);
    int32_t count = 0;
    const icu::UnicodeString* names = U_SUCCESS(status) ? symbols.getShortWeekdays(count) : nullptr;
    std::string result;
    for (int day : weekdays) {
        // ICU's list starts with an empty entry, so weekday w is entry w. Numbers outside 1 to 7 have no name and
        // are left out.
        if (day < 1 || day > 7 || names == nullptr || day >= count) {
            continue;
        }
        if (!result.empty()) {
            result += ", ";
        }
        result += utf8(names[day]);
    }
    return result;
}

} // namespace

std::string timeOfDayLabel(const ZonedCalendar& calendar, int minuteOfDay, std::string_view localeID)
{
    if (minuteOfDay == 1440) {
        return "midnight";
    }
    // The wall time comes from the system's zone rules; ICU, whose own zone data may be older, only formats it.
    double wallTime = labelReferenceInstant;
    try {
        wallTime = calendar.localTime(calendar.timeOnDay(calendar.startOfDay(labelReferenceInstant), minuteOfDay));
    } catch (const ZonedCalendar::Failure&) {
    }
    std::unique_ptr<icu::DateFormat> formatter(
        icu::DateFormat::createTimeInstance(icu::DateFormat::kShort, localeFor(localeID)));
    if (!formatter) {
        return {};
    }
    formatter->setTimeZone(*icu::TimeZone::getGMT());
    icu::UnicodeString text;
    formatter->format(wallTime * 1000.0, text);
    return utf8(text);
}

std::string describe(const ZonedCalendar& calendar, const ScheduleRule& rule, std::string_view localeID)
{
    const icu::Locale locale = localeFor(localeID);
    std::string result;
    if (const auto* every = rule.interval()) {
        result = frequencyPart(every->minutes);
    } else {
        auto times = rule.clock()->minutesOfDay;
        std::sort(times.begin(), times.end());
        result = "At ";
        for (std::size_t i = 0; i < times.size(); ++i) {
            result += (i == 0 ? "" : ", ") + timeOfDayLabel(calendar, times[i], localeID);
        }
    }
    result += ", " + daysPart(rule.weekdays(), locale);
    if (const auto* every = rule.interval(); every && every->window) {
        result += ", " + timeOfDayLabel(calendar, every->window->startMinuteOfDay, localeID) + "\u2013" +
                  timeOfDayLabel(calendar, every->window->endMinuteOfDay, localeID);
    }
    return result;
}

SchedulePreview preview(const ScheduleCalculator& calculator,
                        const ZonedCalendar& calendar,
                        const ScheduleRule& rule,
                        const std::optional<ScheduleState>& state,
                        Date now)
{
    try {
        rule.validate();
    } catch (const MonitorStoreError&) {
        return {};
    }
    SchedulePreview result;
    ScheduleState simulated = state ? *state : calculator.startedState(rule, now);
    Date from = now;
    Date weekLater = now.addingSeconds(7 * 86400.0);
    try {
        weekLater = Date::fromSecondsSince1970(calendar.addingDays(now.secondsSince1970(), 7));
    } catch (const ZonedCalendar::Failure&) {
    }
    for (int step = 0; step < previewStepLimit; ++step) {
        const auto occurrence = calculator.nextOccurrence(rule, simulated, from);
        // The distant future stands for "never": it is no check time to show.
        if (!occurrence || occurrence->due >= ScheduleState::distantFuture()) {
            break;
        }
        const Date run = std::max(from, occurrence->due);
        if (result.dates.size() < previewDateCount) {
            result.dates.push_back(run);
        }
        if (run <= weekLater) {
            ++result.runs;
        }
        if (run >= weekLater && result.dates.size() >= previewDateCount) {
            break;
        }
        // Advanced as the scheduler would, except that the token plays no part here.
        simulated.token = 1;
        simulated = calculator.advancedState(rule, simulated, *occurrence, run);
        from = run;
    }
    return result;
}

} // namespace tavlen::schedule_description
