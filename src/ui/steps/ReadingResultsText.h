#pragma once

#include "Reading.h"
#include "StepKind.h"
#include "StepsExecutionState.h"

#include <QString>

#include <chrono>
#include <optional>

namespace tavlen::ui {

// The value as a pill shows it: a text as read; a number in the user's locale with the shortest digits that
// read back the same (at most 17 significant), so 3 reads "3" and 0.5 reads "0.5".
QString readingValueText(const ReadingValue& value);
// The pill's help text: the field name, ": ", the value text.
QString readingPillHelp(const Reading& reading);

// A running time in at most two of hours, minutes, seconds and milliseconds, zero units left out, narrow
// ("1m 5s", "250ms").
QString executionDurationText(std::chrono::nanoseconds duration);

// What the test control at the head of a step card shows and says.
struct StepsTestControlState
{
    bool showsSpinner = false;
    bool isEnabled = false;
    QString help;            // the button's tooltip
    QString accessibleName;  // of the button, or of the spinner while it runs
    QString accessibleValue; // the step's last outcome
};

// Running shows the spinner; otherwise the button, disabled while anything executes or the step cannot be
// tested (the reason is then its help).
StepsTestControlState testControlState(StepKind kind,
                                       StepsExecutionState::Kind execution,
                                       bool isExecuting,
                                       const std::optional<QString>& unavailableReason);

} // namespace tavlen::ui
