#include "ScheduleEditing.h"

#include "Formatting.h"
#include "QtText.h"
#include "WorkspaceViewText.h"

#include <QTime>

#include <algorithm>
#include <set>

namespace tavlen::ui {

namespace {

constexpr int minutesPerDay = 1440;
const WeekdaySet allDays{1, 2, 3, 4, 5, 6, 7};
const WeekdaySet mondayToFriday{2, 3, 4, 5, 6};

} // namespace

std::optional<int> nextFreeCheckMinute(const std::vector<ScheduleTimeDraft>& times)
{
    std::set<int> taken;
    for (const ScheduleTimeDraft& time : times) {
        taken.insert(time.minute);
    }
    const int start = times.empty() ? 540 : times.back().minute + 60;
    const int first = ((start % minutesPerDay) + minutesPerDay) % minutesPerDay;
    for (int offset = 0; offset < minutesPerDay; ++offset) {
        const int candidate = (first + offset) % minutesPerDay;
        if (!taken.contains(candidate)) {
            return candidate;
        }
    }
    return std::nullopt;
}

DaysMode daysModeOf(const WeekdaySet& days, bool custom)
{
    if (custom) {
        return DaysMode::selectedDays;
    }
    if (days == allDays) {
        return DaysMode::everyDay;
    }
    return days == mondayToFriday ? DaysMode::weekdays : DaysMode::selectedDays;
}

DaysChoice chooseDaysMode(DaysMode mode, const WeekdaySet& days)
{
    switch (mode) {
    case DaysMode::everyDay:
        return {allDays, false};
    case DaysMode::weekdays:
        return {mondayToFriday, false};
    case DaysMode::selectedDays:
        break;
    }
    return {days, days == allDays || days == mondayToFriday};
}

std::array<int, 7> daysPickerOrder()
{
    return {2, 3, 4, 5, 6, 7, 1};
}

QTime timeOfMinute(int minute)
{
    const int wrapped = ((minute % minutesPerDay) + minutesPerDay) % minutesPerDay;
    return QTime(wrapped / 60, wrapped % 60);
}

int minuteOfTime(const QTime& time, bool isEnd)
{
    const int minute = time.hour() * 60 + time.minute();
    return minute == 0 && isEnd ? minutesPerDay : minute;
}

bool limitsInitiallyExpanded(const ScheduleDraft& draft)
{
    return draft.windowEnabled || draft.everyWeekdays != allDays;
}

std::optional<QString> scheduleValidationLine(const ScheduleDraft& draft)
{
    for (const auto field : {ScheduleDraft::Field::customInterval, ScheduleDraft::Field::scheduleRule}) {
        if (const auto message = draft.validationMessage(field)) {
            return toQString(*message);
        }
    }
    return std::nullopt;
}

std::optional<ScheduleRule> previewRule(const ScheduleDraft& draft)
{
    if (const auto preferences = draft.preferences()) {
        return preferences->rule;
    }
    return std::nullopt;
}

std::optional<ScheduleState>
scheduleRuntimeState(const ScheduleDraft& draft, const Monitor& monitor, const ScheduleSnapshot* snapshot)
{
    const auto preferences = draft.preferences();
    if (!preferences || !snapshot || !(*preferences == monitor.schedule.preferences)) {
        return std::nullopt;
    }
    if (const auto state = snapshot->states.find(monitor.id); state != snapshot->states.end()) {
        return state->second;
    }
    return std::nullopt;
}

std::optional<ScheduleStatusNote> scheduleStatusNote(const ScheduleSnapshot* snapshot, const Uuid& monitorID)
{
    if (!snapshot) {
        return std::nullopt;
    }
    if (snapshot->modelsUnavailable.contains(monitorID)) {
        return ScheduleStatusNote{text::schedulePaused, QStringLiteral("pause.circle")};
    }
    const bool queued = std::any_of(snapshot->queue.begin(), snapshot->queue.end(), [&](const QueuedCheck& check) {
        return check.monitorID == monitorID;
    });
    if (queued) {
        return ScheduleStatusNote{text::scheduledCheckQueued, QStringLiteral("clock")};
    }
    return std::nullopt;
}

SaveErrorAction saveErrorAction(const MonitorStoreError& error)
{
    switch (error.kind()) {
    case MonitorStoreError::Kind::validation:
    case MonitorStoreError::Kind::busy:
        return SaveErrorAction::none;
    case MonitorStoreError::Kind::missingMonitor:
    case MonitorStoreError::Kind::staleEdit:
        return SaveErrorAction::reloadSavedMonitor;
    default:
        return SaveErrorAction::retryStorage;
    }
}

ScheduleDraft::Field scheduleFocusTarget(const ScheduleDraft& draft)
{
    return draft.firstInvalidField().value_or(ScheduleDraft::Field::intervalPreset);
}

SchedulePreviewContent schedulePreviewContent(const ScheduleRule& rule,
                                              bool enabled,
                                              Date now,
                                              const std::optional<ScheduleState>& state,
                                              const ScheduleCalculator& calculator)
{
    // A disabled schedule previews as if switched on now, whatever the scheduler holds.
    const std::optional<ScheduleState> used = enabled ? state : std::nullopt;
    const SchedulePreview preview = calculator.preview(rule, used, now);
    SchedulePreviewContent content;
    content.summary = toQString(calculator.describe(rule));
    content.enabledText = enabled ? text::enabled : text::disabled;
    content.heading = used ? text::nextChecks : text::exampleCheckTimes;
    for (const Date& due : preview.dates) {
        content.times.push_back(QLatin1Char('\t') + formatDateTime(due.milliseconds(),
                                                                   DateStyle::abbreviated,
                                                                   TimeStyle::shortened,
                                                                   {{}, calculator.timeZoneID()}));
    }
    const QString count = QString::number(preview.runs);
    content.weeklyCount = enabled ? text::aboutPrefix + count + text::checksPerWeek
                                  : text::wouldCheckAboutPrefix + count + text::timesPerWeek;
    content.timeZone =
        text::timeZonePrefix + toQString(calculator.timeZoneID()).replace(QLatin1Char('_'), QLatin1Char(' '));
    return content;
}

} // namespace tavlen::ui
