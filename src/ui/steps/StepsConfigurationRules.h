#pragma once

#include "ModelRegistry.h"
#include "Uuid.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string_view>

namespace tavlen {
class StepsOpenPageSettings;
}

namespace tavlen::ui {

// The rules of a step's configuration forms, as plain functions of what the forms show.

inline constexpr std::int64_t longestScreenshotDelay = 60;

// A whole number from 0 to 60: the same rule the step's own check applies, so hint and message agree.
bool isDelayValid(std::string_view delayText);

enum class DelayHint
{
    explanation, // the delay is valid: what it is for
    invalid,     // not valid, and messages are not shown yet: the form's own red hint
    none         // not valid while messages show: the field's own message says it
};

DelayHint delayHint(std::string_view delayText, bool showsValidation);

// The delay after the stepper steps by the given count (+1 up, -1 down), kept within 0 to 60. A delay text that
// is not a valid delay gives the stepper no value to start from: a step up starts at 0 and a step down at 60.
std::int64_t steppedDelay(std::string_view delayText, int steps);

// Which way the stepper can still go: not beyond 0 or 60 from a valid delay; both ways from an invalid one.
struct DelayStepping
{
    bool up = false;
    bool down = false;

    friend bool operator==(const DelayStepping&, const DelayStepping&) = default;
};

DelayStepping delayStepping(std::string_view delayText);

// Width or height not a whole number from 1 to 8,000,000.
bool hasViewportDimensionsIssue(const StepsOpenPageSettings& settings);
// The device scale factor text not a finite decimal number above 0.
bool hasScaleFactorIssue(const StepsOpenPageSettings& settings);

// The display name of the configured model with the id, or "Select a configured AI model" when there is no id,
// it names no configured model, or there are no model settings.
QString modelPickerTooltip(const ModelRegistry* registry, const std::optional<Uuid>& modelID);

} // namespace tavlen::ui
