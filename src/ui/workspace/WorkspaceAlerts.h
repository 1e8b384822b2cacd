#pragma once

#include "AlertPresenter.h"
#include "Monitor.h"
#include "MonitorStoreError.h"
#include "MonitorWorkspace.h" // StepsNavigation.h reads it inline
#include "StepsNavigation.h"
#include "Uuid.h"

#include <functional>
#include <optional>
#include <vector>

namespace tavlen::ui {

// The window-level alerts of the workspace, each derived from one piece of workspace or navigation state; none
// while that state is clear. The callbacks answer them.

// "Save changes to this monitor?" naming the first listed monitor with the prompt's id ("monitor" when none is).
std::optional<AlertContent> unsavedChangesAlert(const std::optional<Uuid>& promptMonitorID,
                                                const std::vector<Monitor>& monitors,
                                                std::function<void(StepsNavigation::Choice)> decide);

// The delete confirmation of the candidate; delete is given the candidate's id.
std::optional<AlertContent> deleteMonitorAlert(const std::optional<Monitor>& candidate,
                                               std::function<void()> cancel,
                                               std::function<void(const Uuid&)> remove);

// "Couldn’t update the workspace" with the error's sentence.
std::optional<AlertContent> workspaceErrorAlert(const std::optional<MonitorStoreError>& error,
                                                std::function<void()> acknowledge);

} // namespace tavlen::ui
