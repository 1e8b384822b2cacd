#pragma once

#include "Date.h"
#include "Monitor.h"
#include "MonitorStoreError.h"
#include "ScheduleCalculator.h"
#include "ScheduleDraft.h"
#include "ScheduleSnapshot.h"
#include "ScheduleState.h"

#include <QString>
#include <QStringList>
#include <QTime>

#include <optional>

// The decisions of the schedule editor and its panes, as plain functions of values.
namespace tavlen::ui {

// The minute "Add time" appends: from the last row's minute plus an hour (09:00 for an empty list), the first
// minute of the day, wrapping past midnight, that no row holds; none when all 1440 are taken.
std::optional<int> nextFreeCheckMinute(const std::vector<ScheduleTimeDraft>& times);

// The days picker: 0 every day, 1 weekdays, 2 selected days.
enum class DaysMode
{
    everyDay = 0,
    weekdays = 1,
    selectedDays = 2
};

DaysMode daysModeOf(const WeekdaySet& days, bool custom);

struct DaysChoice
{
    WeekdaySet days;
    bool custom = false;
};

// What choosing a mode writes: the named sets replace the days; "Selected days" keeps them, and stays chosen
// (custom) while they equal a named set.
DaysChoice chooseDaysMode(DaysMode mode, const WeekdaySet& days);
// The seven toggles, Monday first: weekday numbers 2…7, then 1.
std::array<int, 7> daysPickerOrder();

// The minute picker: the minute shown (1440 shows as midnight) and the minute written for a chosen time (an
// end at midnight writes 1440, any other midnight 0).
QTime timeOfMinute(int minute);
int minuteOfTime(const QTime& time, bool isEnd);

// The limits group opens for a window or days other than all seven.
bool limitsInitiallyExpanded(const ScheduleDraft& draft);

// The one validation line: the custom amount's message, else the rule's; none while the form is valid.
std::optional<QString> scheduleValidationLine(const ScheduleDraft& draft);

// The rule the preview shows: valid, at-times ascending; none otherwise.
std::optional<ScheduleRule> previewRule(const ScheduleDraft& draft);

// The scheduler's runtime state, only while the form describes exactly the saved schedule.
std::optional<ScheduleState>
scheduleRuntimeState(const ScheduleDraft& draft, const Monitor& monitor, const ScheduleSnapshot* snapshot);

// The Schedule pane's status note: paused for missing models, else queued, else none.
struct ScheduleStatusNote
{
    QString text;
    QString symbol;

    friend bool operator==(const ScheduleStatusNote&, const ScheduleStatusNote&) = default;
};

std::optional<ScheduleStatusNote> scheduleStatusNote(const ScheduleSnapshot* snapshot, const Uuid& monitorID);

// The way out a save error allows.
enum class SaveErrorAction
{
    none,
    reloadSavedMonitor,
    retryStorage
};

SaveErrorAction saveErrorAction(const MonitorStoreError& error);

// The field a schedule focus request lands on: the first invalid one, else the interval preset.
ScheduleDraft::Field scheduleFocusTarget(const ScheduleDraft& draft);

// What the preview shows.
struct SchedulePreviewContent
{
    QString summary;
    QString enabledText;
    QString heading;
    QStringList times; // each a tab and the due time
    QString weeklyCount;
    QString timeZone;
};

SchedulePreviewContent schedulePreviewContent(const ScheduleRule& rule,
                                              bool enabled,
                                              Date now,
                                              const std::optional<ScheduleState>& state,
                                              const ScheduleCalculator& calculator);

} // namespace tavlen::ui
