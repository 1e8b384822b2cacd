#pragma once

#include "MonitorWorkspaceState.h"
#include "Uuid.h"

#include <QString>

#include <optional>
#include <string>

namespace tavlen::ui {

// The domain of the monitor's sidebar summary, when the workspace has a summary for it that holds one.
std::optional<std::string> summaryDomain(const MonitorWorkspaceState::SidebarSummaries& summaries,
                                         const Uuid& monitorID);

// The line about a monitor's page, in a sidebar row and under the detail header's name: the domain when known,
// else "No URL set", or "URL unavailable" while the last summaries load has failed.
QString monitorPageText(const std::optional<std::string>& domain, bool hasSidebarError);
// The sidebar row's tooltip of that line: the domain, else how to give the monitor one.
QString monitorPageHelp(const std::optional<std::string>& domain);

} // namespace tavlen::ui
