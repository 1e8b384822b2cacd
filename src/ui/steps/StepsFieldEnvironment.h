#pragma once

#include "Step.h"
#include "StepsValidationContext.h"

#include <memory>
#include <optional>

namespace tavlen::ui {

// What the views that host step inputs hand down to them: the step being edited and the editor's validation
// context. Either may be missing (an input shown outside the editor); the input is then a plain control.
struct StepsFieldEnvironment
{
    std::shared_ptr<Step> step;
    std::optional<StepsValidationContext> validation;
};

} // namespace tavlen::ui
