#include "StepsValidationFocus.h"

namespace tavlen::ui {

bool isConfigurationField(const StepsField::Kind& kind)
{
    using Case = StepsField::Kind::Case;
    switch (kind.kindCase()) {
    case Case::model:
    case Case::timeout:
    case Case::delay:
    case Case::viewportWidth:
    case Case::viewportHeight:
    case Case::deviceScaleFactor:
        return true;
    case Case::url:
    case Case::fieldName:
    case Case::fieldInstruction:
        return false;
    }
    return false;
}

std::optional<StepsValidationFocus> stepsValidationFocus(bool showsValidation,
                                                         const std::vector<StepsValidationIssue>& issues,
                                                         const std::optional<Uuid>& configurationStepID)
{
    if (!showsValidation || issues.empty()) {
        return std::nullopt;
    }
    const StepsField& field = issues.front().field;
    if (isConfigurationField(field.kind)) {
        return StepsValidationFocus{StepsValidationFocus::Action::openConfiguration, field};
    }
    if (configurationStepID) {
        return StepsValidationFocus{StepsValidationFocus::Action::closeConfigurationThenFocus, field};
    }
    return StepsValidationFocus{StepsValidationFocus::Action::focusField, field};
}

} // namespace tavlen::ui
