#include "WorkspaceAlerts.h"

#include "QtText.h"
#include "WorkspaceViewText.h"

#include <algorithm>

namespace tavlen::ui {

std::optional<AlertContent> unsavedChangesAlert(const std::optional<Uuid>& promptMonitorID,
                                                const std::vector<Monitor>& monitors,
                                                std::function<void(StepsNavigation::Choice)> decide)
{
    if (!promptMonitorID) {
        return std::nullopt;
    }
    const auto found = std::find_if(
        monitors.begin(), monitors.end(), [&](const Monitor& monitor) { return monitor.id == *promptMonitorID; });
    const QString name = found == monitors.end() ? text::monitorWord : toQString(found->name);
    const auto answer = [decide](StepsNavigation::Choice choice) {
        return [decide, choice] {
            if (decide) {
                decide(choice);
            }
        };
    };
    return AlertContent{text::saveChangesQuestion,
                        text::saveChangesToPrefix + name + text::saveChangesToSuffix,
                        {{text::save, AlertButtonRole::normal, answer(StepsNavigation::Choice::save)},
                         {text::discard, AlertButtonRole::destructive, answer(StepsNavigation::Choice::discard)},
                         {text::cancel, AlertButtonRole::cancel, answer(StepsNavigation::Choice::cancel)}}};
}

std::optional<AlertContent> deleteMonitorAlert(const std::optional<Monitor>& candidate,
                                               std::function<void()> cancel,
                                               std::function<void(const Uuid&)> remove)
{
    if (!candidate) {
        return std::nullopt;
    }
    const Uuid id = candidate->id;
    return AlertContent{text::deleteTitlePrefix + toQString(candidate->name) + text::deleteTitleSuffix,
                        text::deleteWarning,
                        {{text::cancel, AlertButtonRole::cancel, std::move(cancel)},
                         {text::deleteAction, AlertButtonRole::destructive, [remove, id] {
                              if (remove) {
                                  remove(id);
                              }
                          }}}};
}

std::optional<AlertContent> workspaceErrorAlert(const std::optional<MonitorStoreError>& error,
                                                std::function<void()> acknowledge)
{
    if (!error) {
        return std::nullopt;
    }
    return AlertContent{text::couldNotUpdateWorkspace,
                        toQString(error->errorDescription()),
                        {{text::ok, AlertButtonRole::cancel, std::move(acknowledge)}}};
}

} // namespace tavlen::ui
