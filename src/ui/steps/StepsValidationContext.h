#pragma once

#include "StepsSession.h"

#include <QPointer>

#include <functional>
#include <memory>

namespace tavlen::ui {

class StepsFocusRegistry;

// How a step input finds its validation: the monitor's editing session (whose showsValidation decides whether
// messages show), the focus it takes part in (the editor's, or a configuration popover's own), and what to do
// once a configuration popover has closed (the editor moves the focus to an input that waited for it).
struct StepsValidationContext
{
    std::shared_ptr<StepsSession> session;
    QPointer<StepsFocusRegistry> focus;
    std::function<void()> configurationDidClose;
};

} // namespace tavlen::ui
