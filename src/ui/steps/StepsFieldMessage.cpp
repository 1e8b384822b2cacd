#include "StepsFieldMessage.h"

#include "Step.h"

#include <QObject>

namespace tavlen::ui {

std::optional<std::string> firstMessageFor(const std::vector<StepsValidationIssue>& issues, const StepsField& field)
{
    for (const StepsValidationIssue& issue : issues) {
        if (issue.field == field) {
            return issue.message;
        }
    }
    return std::nullopt;
}

std::optional<std::string> fieldMessage(bool showsValidation, const Step& step, const StepsField::Kind& kind)
{
    if (!showsValidation) {
        return std::nullopt;
    }
    return firstMessageFor(step.validationIssues(), StepsField{step.id(), kind});
}

void connectStepEdits(const Step& step, const QObject* context, const std::function<void()>& action)
{
    QObject::connect(&step, &Step::regionChanged, context, action);
    if (const StepsOpenPageSettings* page = step.content().openPageSettings()) {
        for (auto signal : {&StepsOpenPageSettings::urlChanged,
                            &StepsOpenPageSettings::screenshotDelayTextChanged,
                            &StepsOpenPageSettings::viewportWidthTextChanged,
                            &StepsOpenPageSettings::viewportHeightTextChanged,
                            &StepsOpenPageSettings::deviceScaleFactorTextChanged,
                            &StepsOpenPageSettings::mobileChanged}) {
            QObject::connect(page, signal, context, action);
        }
    }
    if (const StepsReadSettings* read = step.content().readSettings()) {
        for (auto signal : {&StepsReadSettings::modelIDChanged,
                            &StepsReadSettings::timeoutTextChanged,
                            &StepsReadSettings::fieldsChanged}) {
            QObject::connect(read, signal, context, action);
        }
    }
}

} // namespace tavlen::ui
