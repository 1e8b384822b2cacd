#pragma once

#include <array>

namespace tavlen {

// The detail tabs of a monitor, in the order they are shown.
enum class MonitorDetailTab
{
    steps,
    schedule,
    history,
    charts,
    details,
};

inline constexpr std::array<MonitorDetailTab, 5> allMonitorDetailTabs{MonitorDetailTab::steps,
                                                                      MonitorDetailTab::schedule,
                                                                      MonitorDetailTab::history,
                                                                      MonitorDetailTab::charts,
                                                                      MonitorDetailTab::details};

} // namespace tavlen
