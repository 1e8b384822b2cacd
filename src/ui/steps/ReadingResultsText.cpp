#include "ReadingResultsText.h"

#include "Formatting.h"
#include "QtText.h"
#include "StepsEditorText.h"

namespace tavlen::ui {

QString readingValueText(const ReadingValue& value)
{
    return value.isNumber() ? formatNumber(value.number()) : toQString(value.text());
}

QString readingPillHelp(const Reading& reading)
{
    return toQString(reading.fieldName) + QStringLiteral(": ") + readingValueText(reading.value);
}

QString executionDurationText(std::chrono::nanoseconds duration)
{
    const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(duration).count();
    return formatDuration(milliseconds, DurationUnit::hours, DurationUnit::milliseconds, DurationWidth::narrow);
}

StepsTestControlState testControlState(StepKind kind,
                                       StepsExecutionState::Kind execution,
                                       bool isExecuting,
                                       const std::optional<QString>& unavailableReason)
{
    const QString kindTitle = toQString(displayText(kind));
    StepsTestControlState state;
    switch (execution) {
    case StepsExecutionState::Kind::succeeded:
        state.accessibleValue = text::executionSucceeded();
        break;
    case StepsExecutionState::Kind::failed:
        state.accessibleValue = text::executionFailed();
        break;
    case StepsExecutionState::Kind::unexecuted:
        state.accessibleValue = text::executionUnexecuted();
        break;
    case StepsExecutionState::Kind::running:
        state.accessibleValue = text::executionRunning();
        break;
    }
    if (execution == StepsExecutionState::Kind::running) {
        state.showsSpinner = true;
        state.accessibleName = text::executingPrefix() + kindTitle;
        return state;
    }
    state.isEnabled = !isExecuting && !unavailableReason;
    state.help = unavailableReason.value_or(text::testStepHelp());
    state.accessibleName = text::testStepPrefix() + kindTitle;
    return state;
}

} // namespace tavlen::ui
