#include "MonitorDetailTabs.h"

#include "WorkspaceViewText.h"

#include <algorithm>

namespace tavlen::ui {

std::vector<MonitorDetailTab> presentDetailTabs(bool hasChangesDraft)
{
    std::vector<MonitorDetailTab> tabs;
    for (const MonitorDetailTab tab : allMonitorDetailTabs) {
        const bool editsDraft = tab == MonitorDetailTab::schedule || tab == MonitorDetailTab::details;
        if (hasChangesDraft || !editsDraft) {
            tabs.push_back(tab);
        }
    }
    return tabs;
}

MonitorDetailTab shownDetailTab(MonitorDetailTab remembered, const std::vector<MonitorDetailTab>& present)
{
    if (present.empty() || std::find(present.begin(), present.end(), remembered) != present.end()) {
        return remembered;
    }
    return present.front();
}

QString detailTabLabel(MonitorDetailTab tab)
{
    switch (tab) {
    case MonitorDetailTab::steps:
        return text::stepsTab;
    case MonitorDetailTab::schedule:
        return text::scheduleTab;
    case MonitorDetailTab::history:
        return text::historyTab;
    case MonitorDetailTab::charts:
        return text::chartsTab;
    case MonitorDetailTab::details:
        return text::detailsTab;
    }
    return {};
}

} // namespace tavlen::ui
