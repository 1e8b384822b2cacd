#include "ScheduleRule.h"

#include "JsonParse.h"
#include "JsonWriter.h"
#include "MonitorStoreError.h"
#include "StorageMessages.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tavlen {

namespace {

constexpr std::int64_t storedVersion = 1;

bool weekdaysValid(const WeekdaySet& weekdays)
{
    return !weekdays.empty() && *weekdays.begin() >= 1 && *weekdays.rbegin() <= 7;
}

// Thrown inside decoding for anything malformed; turned into invalidStoredData at the end.
struct Malformed
{};

// A JSON integer, or a floating-point number holding an integral value in range, as 64-bit.
std::int64_t readInteger(const nlohmann::json& value)
{
    if (value.is_number_integer() && !value.is_number_unsigned()) {
        return value.get<std::int64_t>();
    }
    if (value.is_number_unsigned()) {
        const auto unsignedValue = value.get<std::uint64_t>();
        if (unsignedValue > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            throw Malformed{};
        }
        return static_cast<std::int64_t>(unsignedValue);
    }
    if (value.is_number_float()) {
        const double number = value.get<double>();
        // 2^63 is the first double outside the range.
        if (std::trunc(number) == number && number >= -9223372036854775808.0 && number < 9223372036854775808.0) {
            return static_cast<std::int64_t>(number);
        }
    }
    throw Malformed{};
}

// Values outside int are never valid here; they become a number validation refuses.
int readSmallInteger(const nlohmann::json& value)
{
    const std::int64_t number = readInteger(value);
    if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max()) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(number);
}

const nlohmann::json& member(const nlohmann::json& object, const char* key)
{
    const auto found = object.find(key);
    if (found == object.end()) {
        throw Malformed{};
    }
    return *found;
}

WeekdaySet readWeekdays(const nlohmann::json& schedule)
{
    const auto& array = member(schedule, "weekdays");
    if (!array.is_array()) {
        throw Malformed{};
    }
    WeekdaySet weekdays;
    for (const auto& day : array) {
        weekdays.insert(readSmallInteger(day));
    }
    return weekdays;
}

const nlohmann::json& scheduleObject(const nlohmann::json& caseValue)
{
    if (!caseValue.is_object()) {
        throw Malformed{};
    }
    const auto& schedule = member(caseValue, "_0");
    if (!schedule.is_object()) {
        throw Malformed{};
    }
    return schedule;
}

ScheduleRule readRule(const nlohmann::json& rule)
{
    if (!rule.is_object()) {
        throw Malformed{};
    }
    const auto every = rule.find("every");
    const auto at = rule.find("at");
    if ((every == rule.end()) == (at == rule.end())) {
        throw Malformed{};
    }
    if (every != rule.end()) {
        const auto& schedule = scheduleObject(*every);
        IntervalSchedule interval;
        interval.minutes = readInteger(member(schedule, "minutes"));
        interval.weekdays = readWeekdays(schedule);
        const auto window = schedule.find("window");
        if (window != schedule.end() && !window->is_null()) {
            if (!window->is_object()) {
                throw Malformed{};
            }
            interval.window =
                ScheduleWindow{readSmallInteger(member(*window, "start")), readSmallInteger(member(*window, "end"))};
        }
        return ScheduleRule::every(std::move(interval));
    }
    const auto& schedule = scheduleObject(*at);
    ClockSchedule clock;
    const auto& times = member(schedule, "times");
    if (!times.is_array()) {
        throw Malformed{};
    }
    for (const auto& time : times) {
        clock.minutesOfDay.push_back(readSmallInteger(time));
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
        version = readInteger(member(*document, "version"));
        rule = readRule(member(*document, "rule"));
    } catch (const Malformed&) {
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
