#pragma once

#include "MonitorDetailTab.h"

#include <QString>

#include <vector>

namespace tavlen::ui {

// The tabs a monitor's detail view holds, in order: Steps, History and Charts always; Schedule and Details only
// while the workspace holds a changes draft for the monitor, since they edit it.
std::vector<MonitorDetailTab> presentDetailTabs(bool hasChangesDraft);

// The tab shown for the remembered one: itself when present, else the first present tab. The remembered tab is
// left as it is, so it comes back once it is present again or another monitor that has it is selected.
MonitorDetailTab shownDetailTab(MonitorDetailTab remembered, const std::vector<MonitorDetailTab>& present);

QString detailTabLabel(MonitorDetailTab tab);

} // namespace tavlen::ui
