#include "SidebarPageLine.h"

#include "QtText.h"
#include "WorkspaceViewText.h"

namespace tavlen::ui {

std::optional<std::string> summaryDomain(const MonitorWorkspaceState::SidebarSummaries& summaries,
                                         const Uuid& monitorID)
{
    const auto found = summaries.find(monitorID);
    if (found == summaries.end()) {
        return std::nullopt;
    }
    return found->second.domain;
}

QString monitorPageText(const std::optional<std::string>& domain, bool hasSidebarError)
{
    if (domain) {
        return toQString(*domain);
    }
    return hasSidebarError ? text::urlUnavailable : text::noURLSet;
}

QString monitorPageHelp(const std::optional<std::string>& domain)
{
    return domain ? toQString(*domain) : text::saveAURL;
}

} // namespace tavlen::ui
