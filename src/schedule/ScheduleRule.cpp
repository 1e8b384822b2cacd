#include "ScheduleRule.h"

#include "JsonFields.h"
#include "JsonParse.h"
#include "JsonWriter.h"
#include "MonitorStoreError.h"
#include "StorageMessages.h"

#include <algorithm>
#include <limits>

namespace tavlen {

namespace {

constexpr std::int64_t storedVersion = 1;

bool weekdaysValid(const WeekdaySet& weekdays)
{
    return !weekdays.empty() && *weekdays.begin() >= 1 && *weekdays.rbegin() <= 7;
}

// Values outside int are never valid here; they become a number validation refuses.
int smallInteger(std::int64_t number)
{
    if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max()) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(number);
}

// An item of a list of numbers; anything but an integer in the 64-bit range is malformed.
int smallIntegerItem(const nlohmann::json& item)
{
    const std::optional<std::int64_t> number = json_fields::integerValue(item);
    if (!number) {
        throw JsonDecodingError("A schedule list must hold integers.");
    }
    return smallInteger(*number);
}

WeekdaySet readWeekdays(const nlohmann::json& schedule)
{
    WeekdaySet weekdays;
    for (const auto& day : json_fields::requiredArray(schedule, "weekdays")) {
        weekdays.insert(smallIntegerItem(day));
    }
    return weekdays;
}

// The schedule of a rule case, which the stored form keeps under "_0".
const nlohmann::json& scheduleObject(const nlohmann::json& caseValue)
{
    return json_fields::requiredObject(json_fields::requireObject(caseValue, "A rule case"), "_0");
}

ScheduleRule readRule(const nlohmann::json& rule)
{
    // Exactly one case key; a case key holding null still counts, and then fails as a case of the wrong type.
    const auto every = rule.find("every");
    const auto at = rule.find("at");
    if ((every == rule.end()) == (at == rule.end())) {
        throw JsonDecodingError("A rule must hold exactly one of \"every\" and \"at\".");
    }
    if (every != rule.end()) {
        const auto& schedule = scheduleObject(*every);
        IntervalSchedule interval;
        interval.minutes = json_fields::requiredInteger(schedule, "minutes");
        interval.weekdays = readWeekdays(schedule);
        if (const nlohmann::json* window = json_fields::optionalObject(schedule, "window")) {
            interval.window = ScheduleWindow{smallInteger(json_fields::requiredInteger(*window, "start")),
                                             smallInteger(json_fields::requiredInteger(*window, "end"))};
        }
        return ScheduleRule::every(std::move(interval));
    }
    const auto& schedule = scheduleObject(*at);
    ClockSchedule clock;
    for (const auto& time : json_fields::requiredArray(schedule, "times")) {
        clock.minutesOfDay.push_back(smallIntegerItem(time));
    }
    clock.weekdays = readWeekdays(schedule);
    return ScheduleRule::at(std::move(clock));
}

nlohmann::json weekdaysJson(const WeekdaySet& weekdays)
{
    auto array = nlohmann::json::array();
    for (int day : weekdays) {
        array.push_back(day);
    }
    return array;
}

} // namespace

ScheduleRule ScheduleRule::defaultRule()
{
    return every(IntervalSchedule{60, {1, 2, 3, 4, 5, 6, 7}, std::nullopt});
}

const WeekdaySet& ScheduleRule::weekdays() const
{
    if (const auto* everyRule = interval()) {
        return everyRule->weekdays;
    }
    return clock()->weekdays;
}

void ScheduleRule::validate() const
{
    if (!weekdaysValid(weekdays())) {
        throw MonitorStoreError::validation(storage_messages::selectDay);
    }
    if (const auto* everyRule = interval()) {
        if (everyRule->minutes < 1 || everyRule->minutes > maximumIntervalMinutes) {
            throw MonitorStoreError::validation(storage_messages::intervalOutOfRange);
        }
        if (const auto& window = everyRule->window) {
            if (window->startMinuteOfDay < 0 || window->startMinuteOfDay > 1439 ||
                window->startMinuteOfDay >= window->endMinuteOfDay || window->endMinuteOfDay < 1 ||
                window->endMinuteOfDay > 1440) {
                throw MonitorStoreError::validation(storage_messages::windowOrder);
            }
        }
        return;
    }
    auto times = clock()->minutesOfDay;
    std::sort(times.begin(), times.end());
    const bool outOfRange = std::any_of(times.begin(), times.end(), [](int m) { return m < 0 || m > 1439; });
    if (times.empty() || outOfRange || std::adjacent_find(times.begin(), times.end()) != times.end()) {
        throw MonitorStoreError::validation(storage_messages::clockTimes);
    }
}

std::string ScheduleRule::encodeStored() const
{
    validate();
    nlohmann::json rule;
    if (const auto* everyRule = interval()) {
        nlohmann::json schedule{{"minutes", everyRule->minutes}, {"weekdays", weekdaysJson(everyRule->weekdays)}};
        if (everyRule->window) {
            schedule["window"] = {{"start", everyRule->window->startMinuteOfDay},
                                  {"end", everyRule->window->endMinuteOfDay}};
        }
        rule["every"] = {{"_0", std::move(schedule)}};
    } else {
        auto times = clock()->minutesOfDay;
        std::sort(times.begin(), times.end());
        rule["at"] = {{"_0", {{"times", times}, {"weekdays", weekdaysJson(clock()->weekdays)}}}};
    }
    const nlohmann::json envelope{{"rule", std::move(rule)}, {"version", storedVersion}};
    return writeJson(envelope);
}

ScheduleRule ScheduleRule::decodeStored(std::string_view text)
{
    const auto document = parseJson(text);
    if (!document || !document->is_object()) {
        throw MonitorStoreError::invalidStoredData();
    }
    std::int64_t version = 0;
    std::optional<ScheduleRule> rule;
    try {
        version = json_fields::requiredInteger(*document, "version");
        rule = readRule(json_fields::requiredObject(*document, "rule"));
    } catch (const JsonDecodingError&) {
        throw MonitorStoreError::invalidStoredData();
    }
    if (version != storedVersion) {
        throw MonitorStoreError::unsupportedSchema();
    }
    try {
        rule->validate();
    } catch (const MonitorStoreError&) {
        throw MonitorStoreError::invalidStoredData();
    }
    if (auto* clockRule = std::get_if<ClockSchedule>(&rule->schedule)) {
        std::sort(clockRule->minutesOfDay.begin(), clockRule->minutesOfDay.end());
    }
    return *rule;
}

} // namespace tavlen
