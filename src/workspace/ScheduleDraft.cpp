#include "ScheduleDraft.h"

#include "Digits.h"
#include "Monitor.h"
#include "MonitorStoreError.h"
#include "StorageMessages.h"
#include "Utf8.h"
#include "WorkspaceText.h"

#include <algorithm>
#include <charconv>

namespace tavlen {

namespace {

constexpr int defaultWindowStart = 540; // 9:00
constexpr int defaultWindowEnd = 1020;  // 17:00
const WeekdaySet allWeekdays{1, 2, 3, 4, 5, 6, 7};

// The sentence of the rule's first failed check; none for a valid rule.
std::optional<std::string> validationFailure(const ScheduleRule& rule)
{
    try {
        rule.validate();
    } catch (const MonitorStoreError& error) {
        return error.errorDescription();
    }
    return std::nullopt;
}

} // namespace

ScheduleDraft ScheduleDraft::fromMonitor(const Monitor& monitor)
{
    return fromPreferences(monitor.schedule.preferences);
}

ScheduleDraft ScheduleDraft::fromPreferences(const MonitorSchedulePreferences& preferences)
{
    ScheduleDraft draft;
    const IntervalSchedule* interval = preferences.rule.interval();
    const std::int64_t minutes = interval ? interval->minutes : 60;
    draft.intervalPreset = intervalPresetFromRawValue(minutes).value_or(IntervalPreset::custom);
    draft.customInterval = std::to_string(minutes);
    draft.customUnit = IntervalUnit::minutes;
    draft.scheduleEnabled = preferences.scheduleEnabled;
    draft.windowEnabled = false;
    draft.windowStartMinuteOfDay = defaultWindowStart;
    draft.windowEndMinuteOfDay = defaultWindowEnd;
    if (interval) {
        draft.scheduleMode = ScheduleMode::every;
        draft.everyWeekdays = interval->weekdays;
        draft.atWeekdays = allWeekdays;
        if (interval->window) {
            draft.windowEnabled = true;
            draft.windowStartMinuteOfDay = interval->window->startMinuteOfDay;
            draft.windowEndMinuteOfDay = interval->window->endMinuteOfDay;
        }
        draft.atTimes = {ScheduleTimeDraft{Uuid::random(), defaultWindowStart}};
    } else {
        const ClockSchedule& clock = *preferences.rule.clock();
        draft.scheduleMode = ScheduleMode::at;
        draft.atWeekdays = clock.weekdays;
        draft.everyWeekdays = allWeekdays;
        draft.atTimes.clear();
        for (const int minute : clock.minutesOfDay) {
            draft.atTimes.push_back(ScheduleTimeDraft{Uuid::random(), minute});
        }
    }
    return draft;
}

std::optional<std::int64_t> ScheduleDraft::intervalMinutes() const
{
    if (intervalPreset != IntervalPreset::custom) {
        return rawValueOf(intervalPreset);
    }
    const std::string_view text = trimWhitespaceAndNewlines(customInterval);
    if (text.empty() || containsNonDigit(text)) {
        return std::nullopt;
    }
    std::int64_t amount = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), amount);
    if (error != std::errc() || end != text.data() + text.size() || amount < 1) {
        return std::nullopt;
    }
    std::int64_t minutes = 0;
    if (__builtin_mul_overflow(amount, static_cast<std::int64_t>(rawValueOf(customUnit)), &minutes)) {
        return std::nullopt;
    }
    return minutes;
}

std::optional<ScheduleRule> ScheduleDraft::rule() const
{
    if (scheduleMode == ScheduleMode::at) {
        ClockSchedule clock;
        for (const ScheduleTimeDraft& time : atTimes) {
            clock.minutesOfDay.push_back(time.minute);
        }
        clock.weekdays = atWeekdays;
        return ScheduleRule::at(std::move(clock));
    }
    const std::optional<std::int64_t> minutes = intervalMinutes();
    if (!minutes) {
        return std::nullopt;
    }
    IntervalSchedule interval{*minutes, everyWeekdays, std::nullopt};
    if (windowEnabled) {
        interval.window = ScheduleWindow{windowStartMinuteOfDay, windowEndMinuteOfDay};
    }
    return ScheduleRule::every(std::move(interval));
}

std::optional<MonitorSchedulePreferences> ScheduleDraft::preferences() const
{
    std::optional<ScheduleRule> built = rule();
    if (!built || validationFailure(*built)) {
        return std::nullopt;
    }
    if (auto* clock = std::get_if<ClockSchedule>(&built->schedule)) {
        std::sort(clock->minutesOfDay.begin(), clock->minutesOfDay.end());
    }
    return MonitorSchedulePreferences{std::move(*built), scheduleEnabled};
}

std::optional<ScheduleDraft::Field> ScheduleDraft::firstInvalidField() const
{
    const bool customEvery = scheduleMode == ScheduleMode::every && intervalPreset == IntervalPreset::custom;
    if (customEvery && !intervalMinutes()) {
        return Field::customInterval;
    }
    // Without an interval the rule is not built; the custom amount has then already been reported.
    if (const std::optional<ScheduleRule> built = rule(); built && validationFailure(*built)) {
        return Field::scheduleRule;
    }
    return std::nullopt;
}

std::optional<std::string> ScheduleDraft::validationMessage(Field field) const
{
    switch (field) {
    case Field::intervalPreset:
        return std::nullopt;
    case Field::customInterval:
        if (scheduleMode != ScheduleMode::every || intervalPreset != IntervalPreset::custom) {
            return std::nullopt;
        }
        if (trimWhitespaceAndNewlines(customInterval).empty()) {
            return workspace_text::required;
        }
        if (!intervalMinutes()) {
            return storage_messages::intervalOutOfRange;
        }
        return std::nullopt;
    case Field::scheduleRule:
        if (const std::optional<ScheduleRule> built = rule()) {
            return validationFailure(*built);
        }
        return std::nullopt;
    }
    return std::nullopt;
}

bool ScheduleDraft::isEqual(const ScheduleDraft& other) const
{
    return intervalPreset == other.intervalPreset && utf8Equal(customInterval, other.customInterval) &&
           customUnit == other.customUnit && scheduleEnabled == other.scheduleEnabled &&
           scheduleMode == other.scheduleMode && everyWeekdays == other.everyWeekdays &&
           atWeekdays == other.atWeekdays && windowEnabled == other.windowEnabled &&
           windowStartMinuteOfDay == other.windowStartMinuteOfDay &&
           windowEndMinuteOfDay == other.windowEndMinuteOfDay &&
           std::equal(atTimes.begin(),
                      atTimes.end(),
                      other.atTimes.begin(),
                      other.atTimes.end(),
                      [](const ScheduleTimeDraft& a, const ScheduleTimeDraft& b) { return a.minute == b.minute; });
}

} // namespace tavlen
