#pragma once

#include "StepsField.h"
#include "StepsValidationIssue.h"
#include "Uuid.h"

#include <optional>
#include <vector>

namespace tavlen::ui {

// Where the keyboard goes after a refused save or run: to the first input with an issue. The card of its step is
// scrolled to the top first; an input of the configuration popover is reached by opening that step's popover, an
// input on the card by focusing it, after closing another step's open popover.
struct StepsValidationFocus
{
    enum class Action
    {
        openConfiguration,
        focusField,
        // Close the open popover; the field takes focus once the popover reports that it has closed.
        closeConfigurationThenFocus,
    };

    Action action = Action::focusField;
    StepsField field;

    friend bool operator==(const StepsValidationFocus&, const StepsValidationFocus&) = default;
};

// True for the inputs that live in the configuration popover (model, time-out, delay and viewport).
bool isConfigurationField(const StepsField::Kind& kind);

// None unless validation is shown and there is an issue.
std::optional<StepsValidationFocus> stepsValidationFocus(bool showsValidation,
                                                         const std::vector<StepsValidationIssue>& issues,
                                                         const std::optional<Uuid>& configurationStepID);

} // namespace tavlen::ui
