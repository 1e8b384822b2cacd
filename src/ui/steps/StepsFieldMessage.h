#pragma once

#include "StepsValidationIssue.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QObject;

namespace tavlen {
class Step;
}

namespace tavlen::ui {

// The message of the first issue, in the order given, that concerns exactly this field: the same step and an
// equal kind (a read field's name and instructions only for the same field id).
std::optional<std::string> firstMessageFor(const std::vector<StepsValidationIssue>& issues, const StepsField& field);

// The message shown under a step input: none unless validation is shown, else the first of the step's issues for
// the field.
std::optional<std::string> fieldMessage(bool showsValidation, const Step& step, const StepsField::Kind& kind);

// Calls the action, in the context's thread and lifetime, whenever one of the step's saved inputs changes (any
// setting of its Open page or Read settings that can change its issues) or its region changes.
void connectStepEdits(const Step& step, const QObject* context, const std::function<void()>& action);

} // namespace tavlen::ui
